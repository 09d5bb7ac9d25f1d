#pragma once

// The collection grid: a table view whose headers are the fixed heading row and number column.

#include <QTableView>

namespace lh {

class CollectionView final : public QTableView {
    Q_OBJECT
public:
    explicit CollectionView(QWidget* parent = nullptr);

    // Grid column widths 0..4; column 0 is the number column (the row header).
    int ColumnWidth(int gridColumn) const;
    void SetColumnWidth(int gridColumn, int width);
    void SetDefaultRowHeight(int height);

    // Stores the open editor's text and closes it, so commands see every typed character.
    void FinishEditing();

    // Makes the row that is `fit` rows from the end the top row, where `fit` is the number of
    // rows that fit fully in the view counted back from the last one: the end of the table is
    // in view with the last row at the bottom. Rows added since the last event-loop pass count.
    void ScrollEndIntoView();
};

} // namespace lh
