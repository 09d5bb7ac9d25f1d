#pragma once

// The find bar above the grid: the query typed, the columns it looks in, whether only the
// matching records are shown, the count of matches and a close button. It only gathers what the
// user chose; the window applies it to the view.

#include "core/RecordFinder.h"

#include <QWidget>
#include <cstddef>

class QAction;
class QLabel;
class QLineEdit;
class QToolButton;

namespace lh {

class FindBar final : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    QString Query() const;
    FindColumns Columns() const;
    bool OnlyMatches() const;
    // Focuses the query with its text selected, so typing replaces it.
    void FocusQuery();
    // "123 / 45,678 件": the matches and all records.
    void ShowCount(std::size_t matches, std::size_t records);
    static QString CountText(std::size_t matches, std::size_t records);

signals:
    // The query, the columns or the filter switch changed.
    void Changed();
    // Esc or the close button.
    void CloseRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_query = nullptr;
    // The choices sit in the options button's menu, so the bar fits the narrowest window.
    QToolButton* m_options = nullptr;
    QAction* m_name = nullptr;
    QAction* m_address = nullptr;
    QAction* m_remark = nullptr;
    QAction* m_onlyMatches = nullptr;
    QLabel* m_count = nullptr;
    QToolButton* m_close = nullptr;
};

} // namespace lh
