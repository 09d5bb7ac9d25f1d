// The collection grid over a million records, offscreen: taking over a loaded table, painting,
// jumping to the end, and editing or inserting near the top while the view follows; then the
// same grid seen through the view's sort and find filter.

#include "app/CollectionModel.h"
#include "app/CollectionView.h"
#include "app/CollectionViewProxy.h"
#include "core/Document.h"
#include "core/RecordsAddedStep.h"
#include "core/TableStore.h"

#include <QApplication>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

using namespace lh;

namespace {

constexpr int kMillion = 1000000;

void Fill(TableStore& t) {
    for (int i = 0; i < kMillion; ++i)
        t.AppendRecord("Link " + std::to_string(i),
                       "http://www.example.com/pages/" + std::to_string(i) + ".html",
                       "2024/05/06 07:08:09", "");
}

struct Grid {
    Document document;
    TableStore& store = document.Table();
    CollectionModel model{document};
    CollectionView view;
    Grid() {
        view.setModel(&model);
        view.resize(800, 600);
        view.show();
        TableStore loaded;
        Fill(loaded);
        store.Swap(loaded);
        QApplication::processEvents();
    }
};

Grid& MillionGrid() {
    static Grid grid;
    return grid;
}

void BM_GridTakesOverMillion(benchmark::State& state) {
    TableStore loaded;
    Fill(loaded);
    Document document;
    TableStore& store = document.Table();
    CollectionModel model(document);
    CollectionView view;
    view.setModel(&model);
    view.resize(800, 600);
    view.show();
    for (auto _ : state) {
        store.Swap(loaded); // back and forth: a million rows shown, then two
        view.repaint();
    }
}
BENCHMARK(BM_GridTakesOverMillion)->Unit(benchmark::kMillisecond);

void BM_GridScrollToEndAndBack(benchmark::State& state) {
    Grid& g = MillionGrid();
    for (auto _ : state) {
        g.view.verticalScrollBar()->setValue(g.view.verticalScrollBar()->maximum());
        g.view.repaint();
        g.view.verticalScrollBar()->setValue(0);
        g.view.repaint();
    }
}
BENCHMARK(BM_GridScrollToEndAndBack)->Unit(benchmark::kMillisecond);

void BM_GridEditCellNearTop(benchmark::State& state) {
    Grid& g = MillionGrid();
    int i = 0;
    for (auto _ : state) {
        g.model.setData(g.model.index(3, 3), (++i & 1) ? QStringLiteral("note") : QString());
        g.view.repaint();
    }
}
BENCHMARK(BM_GridEditCellNearTop)->Unit(benchmark::kMillisecond);

void BM_GridInsertAndDeleteNearTop(benchmark::State& state) {
    Grid& g = MillionGrid();
    for (auto _ : state) {
        g.store.InsertEmptyRecord(1);
        g.view.repaint();
        g.store.RemoveRecord(1);
        g.view.repaint();
    }
}
BENCHMARK(BM_GridInsertAndDeleteNearTop)->Unit(benchmark::kMillisecond);

// A scan that appended 400,000 records to the million, undone and redone with the view
// following each time.
void BM_GridUndoAndRedoOfScan(benchmark::State& state) {
    Grid& g = MillionGrid();
    const TableStore::Row first = g.store.RecordCount();
    constexpr int kScanned = 400000;
    for (int i = 0; i < kScanned; ++i)
        g.store.AppendRecord({}, "http://www.example.org/logs/" + std::to_string(i) + "/page.html",
                             {}, {});
    g.document.RecordStep(std::make_unique<RecordsAddedStep>("scan", first, kScanned));
    g.view.scrollToBottom();
    QApplication::processEvents();
    for (auto _ : state) {
        g.document.Undo();
        g.view.repaint();
        g.document.Redo();
        g.view.repaint();
    }
    g.document.Undo();
    QApplication::processEvents();
}
BENCHMARK(BM_GridUndoAndRedoOfScan)->Unit(benchmark::kMillisecond);

// The grid as the window shows it: through the proxy that sorts and filters.
struct ProxiedGrid {
    Document document;
    TableStore& store = document.Table();
    CollectionModel model{document};
    CollectionViewProxy proxy{store};
    CollectionView view;
    ProxiedGrid() {
        proxy.setSourceModel(&model);
        view.setModel(&proxy);
        view.resize(800, 600);
        view.show();
        TableStore loaded;
        Fill(loaded);
        store.Swap(loaded);
        QApplication::processEvents();
    }
};

ProxiedGrid& MillionProxiedGrid() {
    static ProxiedGrid grid;
    return grid;
}

// A heading's click: the sort, the view told of the new order, the first page painted.
void BM_GridSortByAddress(benchmark::State& state) {
    ProxiedGrid& g = MillionProxiedGrid();
    Qt::SortOrder order = Qt::AscendingOrder;
    for (auto _ : state) {
        order = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        g.proxy.sort(TableStore::kAddress, order);
        g.view.repaint();
    }
    g.proxy.sort(-1);
}
BENCHMARK(BM_GridSortByAddress)->Unit(benchmark::kMillisecond);

// One keystroke in the find bar, from the query before it: filter, count, paint.
void BM_GridFindKeystroke(benchmark::State& state, const char* before, const char* query) {
    ProxiedGrid& g = MillionProxiedGrid();
    for (auto _ : state) {
        state.PauseTiming();
        g.proxy.SetQuery(std::string(before), FindColumns{}, true);
        state.ResumeTiming();
        g.proxy.SetQuery(std::string(query), FindColumns{}, true);
        benchmark::DoNotOptimize(g.proxy.MatchCount());
        g.view.repaint();
    }
    state.counters["shown"] = g.proxy.rowCount() - 1;
    g.proxy.SetQuery(std::string(), FindColumns{}, true);
}
BENCHMARK_CAPTURE(BM_GridFindKeystroke, first_letter, "", "e")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GridFindKeystroke, narrowing, "pages/1", "pages/12")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GridFindKeystroke, widening, "pages/12", "pages/1")
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
