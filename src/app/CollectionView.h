#pragma once

// The collection grid: a table view whose headers are the fixed heading row and number column.

#include <QTableView>

class QAbstractButton;

namespace lh {

class CollectionView final : public QTableView {
    Q_OBJECT
public:
    explicit CollectionView(QWidget* parent = nullptr);

    // Grid column widths 0..4; column 0 is the number column (the row header). Its width is the
    // one set here, widened while the largest row number would not fit.
    int ColumnWidth(int gridColumn) const;
    void SetColumnWidth(int gridColumn, int width);
    void SetDefaultRowHeight(int height);
    // Decimal digits of a row number (at least 1); counted without text, as rows stream in.
    static int NumberDigits(qint64 number);
    // Width the number column needs for numbers of `digits` digits in the header's font.
    int NumberColumnWidthFor(int digits) const;
    // Fits the number column to the row count and the header's font again.
    void FitNumberColumn();

    // Heading of the number column, shown in the corner above it.
    void SetCornerText(const QString& text);
    QString CornerText() const { return m_cornerText; }

    // Stores the open editor's text and closes it, so commands see every typed character.
    void FinishEditing();
    // A right click on a row heading: the row becomes current and selected whole, unless it
    // is selected already (then the selection stays, for a command on all of it).
    void ChooseRowForMenu(int row);
    // A cell's editor is open.
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }

    // Makes the row that is `fit` rows from the end the top row, where `fit` is the number of
    // rows that fit fully in the view counted back from the last one: the end of the table is
    // in view with the last row at the bottom. Rows added since the last event-loop pass count.
    void ScrollEndIntoView();

    void setModel(QAbstractItemModel* model) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enter opens the editor on the current cell; inside an open editor it commits as before.
    void keyPressEvent(QKeyEvent* event) override;
    // After a row heading was chosen, Shift with the arrow keys or a click extends whole rows.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    void PaintCorner(QAbstractButton* corner);
    void LayOutAfterRemoval();

    QAbstractButton* m_corner = nullptr;
    QString m_cornerText;
    int m_numberWidth = 0;
    int m_numberDigits = 0;
    // The selection was last made by row headings.
    mutable bool m_selectingRows = false;
};

} // namespace lh
