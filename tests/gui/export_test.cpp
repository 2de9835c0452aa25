// Figures and tables through the program: a PDF opened and checked for the graph's lines and
// text (an SVG and a PNG at its resolution are the command line's --render), and the CSV the menu
// writes.
#include <QByteArray>
#include <QImage>
#include <QRegularExpression>

#include "app/export.h"
#include "io/fit_table.h"
#include "model/evaluation.h"
#include "model/recording.h"
#include "program_fixture.h"

namespace {

class Export : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    LoadAndShow(WriteDataFile("fig.txt", 2, 300));
    Click(panelHandle, PANEL_DOFIT);
  }
};

// The PDF's content streams, inflated: Qt compresses them with zlib.
std::string PdfContent(const std::string& pdf) {
  std::string content;
  size_t at = 0;
  while ((at = pdf.find("stream\n", at)) != std::string::npos) {
    const size_t start = at + 7;
    const size_t end = pdf.find("endstream", start);
    if (end == std::string::npos) break;
    QByteArray zipped(pdf.data() + start, static_cast<qsizetype>(end - start));
    zipped.prepend(QByteArray("\x00\x10\x00\x00", 4));  // qUncompress's size hint: 1 MB
    content += qUncompress(zipped).toStdString();
    at = end;
  }
  return content;
}

}  // namespace

// In the window's look, the SVG of all three graphs holds drawn lines and every axis label.
TEST_F(Export, SvgHoldsLinesAndAxisLabels) {
  const std::string path = ScratchPath("all.svg");
  FigureChoice window;
  window.publication = false;
  window.panels = kFigureAll;
  ASSERT_EQ(WriteFigure(path, window, FigureFormatOf(path)), 1);
  EXPECT_EQ(FigureFormatOf("a.fig"), -1);
  const std::string svg = ReadBytes(path);
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  const auto paths = QString::fromStdString(svg).count(QRegularExpression("<(path|polyline)"));
  EXPECT_GT(paths, 10);
  for (const char* label : {"Time (ms)", "Current (nA)", "Voltage (mV)", "Time constant (ms)"})
    EXPECT_NE(svg.find(label), std::string::npos) << label;
}

// In the window's look, the PDF of the data graph is one page of the figure's size whose content
// draws lines and text; the PNG is that size times its scale.
TEST_F(Export, PdfIsOnePageOfLinesAndText) {
  const std::string path = ScratchPath("data.pdf");
  FigureChoice window;
  window.publication = false;
  ASSERT_EQ(WriteFigure(path, window, FigureFormatOf("X.PDF")), 1);  // the extension decides
  const std::string pdf = ReadBytes(path);
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_NE(pdf.find("/Count 1"), std::string::npos);
  EXPECT_NE(pdf.find("/MediaBox [0 0 800.000000 450.000000]"), std::string::npos);
  const std::string content = PdfContent(pdf);
  EXPECT_GT(QString::fromStdString(content).count(QRegularExpression(" l\\n")), 100);
  EXPECT_NE(content.find("Tj"), std::string::npos);
  window.scale = 2;  // and the PNG is the figure's size times its scale
  ASSERT_EQ(WriteFigure(ScratchPath("data.png"), window, FIGURE_PNG), 1);
  EXPECT_EQ(QImage(QString::fromStdString(ScratchPath("data.png"))).size(), QSize(1600, 900));
}

// For a paper, the one-column PDF is 85 mm wide (whole points) with its font embedded and no
// text under 7 pt, and the SVG carries its text as outlines.
TEST_F(Export, PublicationFiguresHaveThePageSizeAndEmbeddedText) {
  FigureChoice paper;
  paper.panels = kFigureAll;
  ASSERT_EQ(WriteFigure(ScratchPath("paper.pdf"), paper, FIGURE_PDF), 1);
  const std::string pdf = ReadBytes(ScratchPath("paper.pdf"));
  EXPECT_NE(pdf.find("/MediaBox [0 0 241"), std::string::npos);  // 85 mm = 240.9 pt
  EXPECT_NE(pdf.find("/FontFile2"), std::string::npos);
  const QString content = QString::fromStdString(PdfContent(pdf));
  auto sizes = QRegularExpression("([0-9.]+) Tf").globalMatch(content);
  int texts = 0;
  for (; sizes.hasNext(); ++texts) EXPECT_GE(sizes.next().captured(1).toDouble(), 7.0);
  EXPECT_GT(texts, 10);

  ASSERT_EQ(WriteFigure(ScratchPath("paper.svg"), paper, FIGURE_SVG), 1);
  const std::string svg = ReadBytes(ScratchPath("paper.svg"));
  EXPECT_NE(svg.find("<svg width=\"85mm\""), std::string::npos);
  EXPECT_EQ(svg.find("<text"), std::string::npos);
}

// The menu writes the analysis window's rows, or asked, the whole recording's, marking the
// samples of an excluded region (columns and numbers: the table's own tests).
TEST_F(Export, TableMenuWritesTheWindowOrTheWholeRecording) {
  loadedRecording.excluded = {{timevals[10], timevals[19]}};
  QueueQuestionAnswer(0);
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, ScratchPath("fits"));
  TriggerMenu(MENU_EXPORTTABLE);
  const std::vector<std::string> lines = Lines(ReadBytes(ScratchPath("fits.csv")));
  ASSERT_EQ(lines.size(), 1u + status.windowEnd - status.windowStart);
  double excluded = 0;
  for (size_t i = 1; i < lines.size(); ++i) excluded += Numbers(lines[i])[1];
  EXPECT_EQ(excluded, 10);

  QueueQuestionAnswer(1);
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, ScratchPath("all"));
  TriggerMenu(MENU_EXPORTTABLE);
  EXPECT_EQ(Lines(ReadBytes(ScratchPath("all.csv"))).size(), 1u + NumPoints);
}

// The menu writes each current in the fit into the chosen folder as the kind of mechanism asked
// for, its header naming the data file and the fit's RMS; an area that is no number writes
// nothing and says why.
TEST_F(Export, NeuronMechanismsMenuWritesTheCurrentsInTheFit) {
  for (int answer : {1, 0}) QueueQuestionAnswer(answer);  // density mechanisms, as fitted
  QueuePromptAnswer("250");
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, ScratchPath("mechanisms"));
  TriggerMenu(MENU_EXPORTNMODL);
  const std::string mod = ReadBytes(ScratchPath("mechanisms/pavik_1.mod"));
  EXPECT_NE(mod.find("SUFFIX pavik_1"), std::string::npos);
  EXPECT_NE(mod.find("fig.txt"), std::string::npos);
  EXPECT_NE(mod.find(" nA over the analysis window"), std::string::npos);  // the RMS

  ClearRecordedMessages();
  QueueQuestionAnswer(1);
  QueuePromptAnswer("250 um2");
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, ScratchPath("refused"));
  TriggerMenu(MENU_EXPORTNMODL);
  ASSERT_FALSE(RecordedMessages().empty());
  EXPECT_NE(RecordedMessages().back().message.find("membrane area"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(ScratchPath("refused")));
}
