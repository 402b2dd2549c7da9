// The spectrum pane as users wait for it: a rebuild over 10,000 spectra (after a project is
// opened), and a Shift+click over 2,000 visible spectra until the plot holds the selection.
#include "qt_bench_main.h"

#include "app/velmont_doc.h"
#include "ui/main_frame.h"
#include "ui/spec_list_view.h"
#include "ui/spec_plot_link.h"

#include <QMouseEvent>

#include <cstdio>
#include <list>
#include <memory>
#include <string>

namespace {

class CountingPlot : public SpecPlotLink {
public:
    void SetFromSpectrumList(std::list<Spectrum*>& spectra) override
    {
        shown = spectra.size();
        ++feeds;
    }
    void RemoveFromShownList(const Spectrum*) override {}
    bool IsDensView() const override { return false; }
    void RequestRedraw() override {}

    std::size_t shown = 0;
    int feeds = 0;
};

// The program's frame and document with the plot replaced by a counter.
struct Program {
    Program()
    {
        frame.BuildLayout();
        frame.resize(1200, 900);
        frame.show();
        doc.SetMainFrame(&frame);
        frame.SetSpecPlot(&plot);
        frame.InitialUpdateAllViews(&doc);
    }
    ~Program()
    {
        frame.SetSpecPlot(nullptr);
        doc.SetMainFrame(nullptr);
    }

    void AddSpectra(int groups, int perGroup)
    {
        char name[64];
        for (int g = 0; g < groups; ++g) {
            for (int i = 0; i < perGroup; ++i) {
                if (groups > 1)
                    std::snprintf(name, sizeof name, "Gruppe %03d:Spektrum %03d", g, i);
                else
                    std::snprintf(name, sizeof name, "Spektrum %05d", i);
                auto* s = new Spectrum;
                s->SetName(name);
                s->AddPoint(SPoint(400, 1));
                doc.GetSpectrumTree()->AddInserter(s);
            }
        }
    }

    CSpecListView& View() { return *frame.GetSpecListView(); }

    CountingPlot plot;
    CVelmontDoc doc;
    CMainFrame frame;
};

void Rebuild(benchmark::State& state, int groups, int perGroup)
{
    Program program;
    // Filled while detached, as a project is read before the panes attach.
    program.View().Detach();
    program.AddSpectra(groups, perGroup);
    program.View().Attach(program.doc.GetSpectrumTree(), &program.doc);
    for (auto _ : state) {
        program.View().Rebuild();
        benchmark::DoNotOptimize(program.View().topLevelItemCount());
    }
    state.counters["items"] = static_cast<double>(program.doc.GetSpectrumTree()->GetInserters().size());
}

void BM_RebuildGroups(benchmark::State& state)
{
    Rebuild(state, 100, 100);
}
BENCHMARK(BM_RebuildGroups)->Unit(benchmark::kMillisecond);

void BM_RebuildTopLevel(benchmark::State& state)
{
    Rebuild(state, 1, 10000);
}
BENCHMARK(BM_RebuildTopLevel)->Unit(benchmark::kMillisecond);

// A module storing 10,000 spectra at the top level while the pane shows the tree: one item
// per spectrum, the top level sorted once when the event loop gets back.
void BM_InsertTopLevel(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto program = std::make_unique<Program>();
        state.ResumeTiming();
        program->AddSpectra(1, 10000);
        QCoreApplication::processEvents();
        state.PauseTiming();
        program.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InsertTopLevel)->Unit(benchmark::kMillisecond)->Iterations(3);

void Click(CSpecListView& view, QTreeWidgetItem* item, Qt::KeyboardModifiers keys)
{
    view.scrollToItem(item);
    const QPoint point = view.GetItemLabelRect(item).center();
    const QPoint global = view.viewport()->mapToGlobal(point);
    QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton, keys);
    QApplication::sendEvent(view.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, point, global, Qt::LeftButton, Qt::NoButton, keys);
    QApplication::sendEvent(view.viewport(), &release);
}

void BM_ShiftClickRange(benchmark::State& state)
{
    Program program;
    program.AddSpectra(1, 2000);
    QCoreApplication::processEvents();
    CSpecListView& view = program.View();
    QTreeWidgetItem* first = view.topLevelItem(0);
    QTreeWidgetItem* last = view.topLevelItem(view.topLevelItemCount() - 1);
    int feeds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Click(view, first, Qt::NoModifier);
        view.scrollToItem(last);
        program.plot.feeds = 0;
        state.ResumeTiming();
        Click(view, last, Qt::ShiftModifier);
        state.PauseTiming();
        if (program.plot.shown != 2000)
            state.SkipWithError("the plot does not hold the range");
        feeds = program.plot.feeds;
        state.ResumeTiming();
    }
    state.counters["feeds"] = feeds;
    state.counters["shown"] = static_cast<double>(program.plot.shown);
}
BENCHMARK(BM_ShiftClickRange)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithApplication(argc, argv);
}
