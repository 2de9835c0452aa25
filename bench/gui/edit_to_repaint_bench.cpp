// How long one arrow-key step on a parameter field takes at full load, from the key to the end of
// the data graph's repaint: ten currents in the fit over six traces of 5000 samples, automatic
// update on, the main panel at its opening size and full screen (offscreen). Beside it the parts,
// at the opening size: the model alone, the residual strip with its repaint and the goodness line;
// the ratios at the end give the step in key-repeat intervals and the parts as fractions of it.
// A prepulse protocol (a prepulse to one of ten levels, then a test step) is timed both ways the
// model reads a command: the arrow step with the workspace's traces following it, and the model
// alone over ten such traces. The real sodium family, following each sweep's whole command, is
// timed with six of its sweeps and with all 37.
#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <unistd.h>
#include <QApplication>
#include <QTest>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/pavik.h"
#include "display/display.h"
#include "display/goodness_display.h"
#include "display/residual_strip.h"
#include "io/abf/import_options.h"
#include "model/evaluation.h"
#include "model/model.h"
#include "model/recording.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"
#include "platform/qt/platform_qt_test.h"

namespace {

constexpr double kKeyRepeatSeconds = 1.0 / 30.0;  // a typical key repeat of 30 per second

// Six voltage steps of 5000 samples 0.1 ms apart, each trace a scaled decaying exponential.
std::string WriteFullLoadFile() {
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("pavik-gui-bench-" + std::to_string(getpid()) + ".txt");
  std::ofstream file(path);
  for (int h = 0; h < 13; ++h) file << "header line " << h + 1 << "\n";
  file << "t";
  for (int k = 0; k < kMaxTraces; ++k) file << "\tV" << k + 1 << "\tI" << k + 1;
  file << "\n";
  char number[64];
  for (int n = 0; n < kMaxPoints; ++n) {
    std::snprintf(number, sizeof number, "%.6f", n * 1e-4);
    file << number;
    for (int k = 0; k < kMaxTraces; ++k) {
      std::snprintf(number, sizeof number, "\t%.3f\t%.5f", -40.0 + 20.0 * k,
                    (k + 1) * std::exp(-n / 500.0));
      file << number;
    }
    file << "\n";
  }
  return path.string();
}

// The program started on the full load: every current in the fit, automatic update on.
bool StartAtFullLoad(int argc, char** argv) {
  if (StartPavik(argc, argv) != 0) return false;
  DisplayPanel(panelHandle);
  const std::string data = WriteFullLoadFile();
  const bool read = LoadDataFile(data) == 1;
  std::filesystem::remove(data);
  if (!read || NumTraces != kMaxTraces || NumPoints != kMaxPoints) return false;
  for (int i = 0; i < kMaxCurrents; ++i) status.fitCurrent[i] = 1;
  SetFitCurrents();
  UpdateFitMessage();
  SetCtrlVal(panelHandle, PANEL_AUTOUPDATE, 1);
  autoupCB(panelHandle, PANEL_AUTOUPDATE, EVENT_COMMIT, nullptr, 0, 0);
  QApplication::processEvents();
  return status.autoUpdate == 1 && status.fitCount == kMaxCurrents;
}

QCustomPlot* GraphWidget(int control) {
  return qobject_cast<QCustomPlot*>(CtrlWidget(panelHandle, control));
}

// Arrow steps on Vm, each timed to the end of the data graph's repaint.
void TimeArrowSteps(benchmark::State& state, bool fullScreen) {
  static const QSize opening = PanelWidget(panelHandle)->size();
  PanelWidget(panelHandle)->resize(fullScreen ? QSize(1920, 1080) : opening);
  QApplication::processEvents();
  QCustomPlot* graph = GraphWidget(PANEL_GRAPH);
  bool replotted = false;
  const auto watch = QObject::connect(graph, &QCustomPlot::afterReplot, [&] { replotted = true; });
  QWidget* field = CtrlWidget(panelHandle, PANEL_VM);
  field->setFocus();
  int step = 0;
  for (auto _ : state) {
    replotted = false;
    QTest::keyClick(field, ++step % 2 ? Qt::Key_Up : Qt::Key_Down);  // the callback runs in here
    const auto start = std::chrono::steady_clock::now();
    while (!replotted && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
      QApplication::processEvents();
    if (!replotted) {
      state.SkipWithError("the data graph was not redrawn after an arrow step");
      break;
    }
    QApplication::processEvents();  // the paint event that shows the new buffer
  }
  QObject::disconnect(watch);
  state.counters["graph_px"] = graph->width() * graph->height();
  PanelWidget(panelHandle)->resize(opening);  // the parts below are timed at the opening size
  QApplication::processEvents();
}

// Arg 0: the panel at its opening size; arg 1: a full-screen window, whose graph is larger.
void BM_ArrowStepToRepaint(benchmark::State& state) {
  TimeArrowSteps(state, state.range(0) == 1);
}

// The prepulse protocol of trace k (0.1 ms samples, 500 ms): hold, prepulse, test step, hold.
std::vector<CommandLevel> PrepulseLevels(int k) {
  return {{0, -90}, {10, -130.0 + 10 * k}, {260, -10}, {400, -90}};
}

// The arrow step as above (opening size), arg 0 with the single step, arg 1 with the workspace's
// traces following the prepulse protocol.
void BM_PrepulseArrowStep(benchmark::State& state) {
  const Recording kept = loadedRecording;
  if (state.range(0) == 1) {
    loadedRecording.commandMode = CommandMode::kSteps;
    for (size_t k = 0; k < loadedRecording.commands.size(); ++k)
      loadedRecording.commands[k].levels = PrepulseLevels(static_cast<int>(k));
  }
  TimeArrowSteps(state, false);
  loadedRecording = kept;
}

// The model alone over ten prepulse traces of 5000 samples, every current in the fit: arg 0 the
// single step, arg 1 the whole command.
void BM_PrepulseModel(benchmark::State& state) {
  Recording family;
  constexpr int kPrepulseTraces = 10;
  for (int n = 0; n < kMaxPoints; ++n) family.times.push_back(0.1 * n);
  family.traces = family.pairsStored = kPrepulseTraces;
  for (int k = 0; k < kPrepulseTraces; ++k)
    family.commands.push_back({-10, -90, PrepulseLevels(k)});
  family.window = {0, kMaxPoints};
  family.commandMode = state.range(0) ? CommandMode::kSteps : CommandMode::kSingle;
  InFit inFit{};
  inFit.fill(true);
  Evaluation into;
  for (auto _ : state) {
    Evaluate(family, std::span<const CurrentParams, kMaxCurrents>(params), inFit, 0, &into);
    benchmark::DoNotOptimize(into.summed.back().back());
  }
}

// The arrow step (opening size) on the sodium family of tests/data, each trace following its
// sweep's whole command: arg 6, six sweeps spread over the family; arg 37, every sweep. Runs
// last: it replaces the full load.
void BM_SodiumFamilyArrowStep(benchmark::State& state) {
  ImportOptions options;
  options.command = CommandMode::kSteps;
  options.sweeps = std::vector<int>{};  // every sweep
  if (state.range(0) == 6) options.sweeps = std::vector<int>{1, 8, 15, 23, 30, 37};
  if (LoadDataFile(PAVIK_TEST_DATA "/myokit_abf-v2_INa_activation.abf", &options) != 1 ||
      loadedRecording.traces != state.range(0)) {
    state.SkipWithError("the sodium family could not be read");
    return;
  }
  loadedRecording.commandMode = CommandMode::kSteps;
  TimeArrowSteps(state, false);
  state.counters["traces"] = loadedRecording.traces;
}

void BM_ModelAlone(benchmark::State& state) {
  for (auto _ : state) {
    for (int i = 0; i < kMaxCurrents; ++i) CalcThisCurrent(i);
    benchmark::DoNotOptimize(yfits[kMaxCurrents - 1][kMaxTraces - 1][kMaxPoints - 1]);
  }
}

// The residuals, their plots and the strip's queued repaint, as after an edit.
void BM_ResidualStrip(benchmark::State& state) {
  for (auto _ : state) {
    ShowResiduals();
    QApplication::processEvents();
  }
}

void BM_GoodnessLine(benchmark::State& state) {
  for (auto _ : state) ShowGoodness();
}

// The console output, keeping each case's wall-clock time per iteration (a repaint is the
// user's wait, whatever the processor does meanwhile) for the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred && run.iterations > 0)
        seconds_[run.benchmark_name()] = run.real_accumulated_time / run.iterations;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Seconds(const std::string& name) const {
    const auto found = seconds_.find(name);
    return found == seconds_.end() ? NAN : found->second;
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

BENCHMARK(BM_ArrowStepToRepaint)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelAlone)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepulseArrowStep)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepulseModel)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResidualStrip)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GoodnessLine)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SodiumFamilyArrowStep)->Arg(6)->Arg(37)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // kept when the caller chose a platform
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!StartAtFullLoad(argc, argv)) {
    std::fprintf(stderr, "The program could not be started at full load.\n");
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double step = reporter.Seconds("BM_ArrowStepToRepaint/0/real_time");
  const double fullScreen = reporter.Seconds("BM_ArrowStepToRepaint/1/real_time");
  std::printf("An arrow step to its repaint: %.2f key-repeat intervals (%.2f full screen)\n",
              step / kKeyRepeatSeconds, fullScreen / kKeyRepeatSeconds);
  std::printf("Parts of the step: model %.2f, residual strip %.3f, goodness line %.4f\n",
              reporter.Seconds("BM_ModelAlone/real_time") / step,
              reporter.Seconds("BM_ResidualStrip/real_time") / step,
              reporter.Seconds("BM_GoodnessLine/real_time") / step);
  std::printf(
      "A prepulse protocol, whole command over single step: arrow step %.2f, model of "
      "ten traces %.2f\n",
      reporter.Seconds("BM_PrepulseArrowStep/1/real_time") /
          reporter.Seconds("BM_PrepulseArrowStep/0/real_time"),
      reporter.Seconds("BM_PrepulseModel/1/real_time") /
          reporter.Seconds("BM_PrepulseModel/0/real_time"));
  const double sodiumAll = reporter.Seconds("BM_SodiumFamilyArrowStep/37/real_time");
  std::printf(
      "The sodium family's 37 sweeps, whole command, arrow step: %.2f of its six sweeps, %.2f of "
      "the full load's six traces\n",
      sodiumAll / reporter.Seconds("BM_SodiumFamilyArrowStep/6/real_time"), sodiumAll / step);
  benchmark::Shutdown();
  return 0;
}
