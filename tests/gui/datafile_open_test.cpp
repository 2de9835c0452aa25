// Opening a data file through the menu: the controls it fills and makes usable, and a file that
// cannot be read, which leaves the loaded file, the controls and the plots exactly as they were.
#include "editing_fixture.h"

namespace {

class OpenData : public EditingProgram {
 protected:
  // Everything the user sees of a loaded file.
  struct Visible {
    std::vector<double> fields;
    std::string dataFile;
    std::vector<int> plots;
    std::vector<std::vector<double>> plotted;
    double xMin, xMax, yMin, yMax;
    bool operator==(const Visible&) const = default;
  };
  static Visible Look() {
    Visible v{};
    for (int control : {PANEL_V1, PANEL_V2, PANEL_V3, PANEL_V4, PANEL_V5, PANEL_V6, PANEL_XMIN,
                        PANEL_XMAX, PANEL_YMIN, PANEL_YMAX}) {
      v.fields.push_back(DoubleValue(panelHandle, control));
    }
    v.dataFile = TextValue(panelHandle, PANEL_DATAFILE);
    v.plots = Plots(PANEL_GRAPH);
    for (int handle : v.plots) {
      PlotInfo info{};
      GetPlotInfo(panelHandle, PANEL_GRAPH, handle, &info);
      v.plotted.push_back(info.y);
    }
    GetAxisRange(panelHandle, PANEL_GRAPH, &v.xMin, &v.xMax, &v.yMin, &v.yMax);
    return v;
  }
  void Open(const std::string& path) {
    QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, path);
    TriggerMenu(MENU_OPENDATA);
  }
  static int Dimmed(int control) {
    int dimmed = -1;
    GetCtrlAttribute(panelHandle, control, ATTR_DIMMED, &dimmed);
    return dimmed;
  }
};

}  // namespace

// The menu command reads the file, fills the fields, un-dims the data controls and draws.
TEST_F(OpenData, MenuOpensFillsAndUndims) {
  const std::string path = WriteDataFile("four.txt", 4, 300);
  Open(path);
  EXPECT_EQ(NumTraces, 4);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_V3), 0.0) << "-40 + 20 x 2";
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_V5), 20.0) << "past the pairs: the last pair's";
  EXPECT_NEAR(DoubleValue(panelHandle, PANEL_XMAX), 29.9, 1e-6);
  EXPECT_NEAR(DoubleValue(panelHandle, PANEL_YMAX), 1.1 * 4, 1e-6);
  EXPECT_EQ(TextValue(panelHandle, PANEL_DATAFILE), path);
  for (int control : {PANEL_XMIN, PANEL_XMAX, PANEL_YMIN, PANEL_YMAX, PANEL_BASELINE,
                      PANEL_DATACTRL, PANEL_DOFIT}) {
    EXPECT_EQ(Dimmed(control), 0) << "control " << control;
  }
  EXPECT_EQ(Plots(PANEL_GRAPH).size(), 4u + 1u);
}

// Every failure of the text's list keeps the previous file on screen and says why.
TEST_F(OpenData, FailedOpenLeavesTheScreenAlone) {
  Open(WriteDataFile("six.txt", 6, 400));
  ASSERT_EQ(NumTraces, 6);
  ASSERT_TRUE(DragGraphCursor(panelHandle, PANEL_GRAPH, 10.0, 10.0));
  ShowFits();
  const Visible before = Look();
  const int points = NumPoints;
  auto write = [&](const std::string& name, const std::string& text) {
    const std::string path = ScratchPath(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fputs(text.c_str(), file);
    std::fclose(file);
    return path;
  };
  std::string words;
  for (int i = 0; i < 20; ++i) words += "just words and no numbers\n";
  const std::vector<std::string> bad = {write("empty.txt", ""), ScratchPath("absent.txt"),
                                        write("text.txt", words)};
  for (const std::string& path : bad) {
    ClearRecordedMessages();
    Open(path);
    EXPECT_EQ(Look(), before) << path;
    EXPECT_EQ(NumPoints, points);
    ASSERT_EQ(RecordedMessages().size(), 1u) << path;
    EXPECT_EQ(RecordedMessages()[0].title, "Error");
  }
  // A cancelled dialog says nothing and changes nothing.
  ClearRecordedMessages();
  QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
  TriggerMenu(MENU_OPENDATA);
  EXPECT_EQ(Look(), before);
  EXPECT_TRUE(RecordedMessages().empty());
}
