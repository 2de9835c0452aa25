// The user-interface run-time the program calls: panels from the resource file, controls,
// graphs, dialogs, the message box, the clipboard and the event loop; the formatted reading of
// data files; the two array routines of the analysis library. Plain C++ types only: no toolkit
// type crosses this header.
//
// Every operation on a panel, control, graph or plot handle that does not exist (including any
// call made before the run-time has started, as in headless use) does nothing and returns a
// negative error code, so that program code may call it unconditionally.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// ---- events delivered to callbacks ----
constexpr int EVENT_COMMIT = 1;  // the user finished an entry, switched a toggle, pressed a button
constexpr int EVENT_GOT_FOCUS = 8;
constexpr int EVENT_LOST_FOCUS = 9;
constexpr int EVENT_CLOSE = 11;  // the user closed a panel's window
// eventData1 of an EVENT_COMMIT from a numeric field: the user stepped it by arrow, wheel or
// page key (0: typed an entry)
constexpr int COMMIT_BY_STEP = 1;

// ---- attributes ----
constexpr int ATTR_DIMMED = 500;              // int 0/1; controls and menu items
constexpr int ATTR_VISIBLE = 530;             // int 0/1; a control shown or hidden
constexpr int ATTR_ITEM_NAME = 501;           // text; a menu item's text
constexpr int ATTR_INDICATOR_COLOR = 550;     // int RGB; the colour a coloured indicator shows
constexpr int ATTR_TITLE = 573;               // text; a panel's window title
constexpr int ATTR_LABEL_TEXT = 641;          // text; a control's label (a button's caption)
constexpr int ATTR_TOOLTIP_TEXT = 1190;       // text; shown while the pointer rests on a control
constexpr int ATTR_CONSTANT_NAME = 643;       // text; a control's constant name (read only)
constexpr int ATTR_CMD_BUTTON_COLOR = 880;    // int RGB; a command button's colour
constexpr int ATTR_PLOT_BGCOLOR = 1081;       // int RGB; a graph's plot-area background
constexpr int ATTR_GRAPH_FRAME_COLOR = 1117;  // int RGB; the frame colour of a graph
constexpr int ATTR_TRACE_COLOR = 2;           // int RGB; with SetPlotAttribute
constexpr int ATTR_LINE_WIDTH = 3;            // int pixels; with SetPlotAttribute (default 1)
constexpr int ATTR_FADED = 4;                 // int 0/1; with SetPlotAttribute: drawn pale

// ---- plotting ----
constexpr int VAL_DOUBLE = 4;  // the only array type PlotXY takes
constexpr int VAL_THIN_LINE = 0;
constexpr int VAL_CONNECTED_POINTS = 1;
constexpr int VAL_SCATTER = 2;
constexpr int VAL_SIMPLE_DOT = 10;
constexpr int VAL_EMPTY_CIRCLE = 11;
constexpr int VAL_EMPTY_SQUARE = 12;  // the shapes that tell several recordings' points apart
constexpr int VAL_EMPTY_TRIANGLE = 13;
constexpr int VAL_EMPTY_DIAMOND = 14;
constexpr int VAL_CROSS = 15;
constexpr int VAL_SOLID = 0;
constexpr int VAL_DOT = 2;
constexpr int VAL_MANUAL = 0;
constexpr int VAL_ALL_PLOTS = -1;
constexpr int VAL_IMMEDIATE_DRAW = 1;

// ---- colours: 24-bit RGB, red in the high byte ----
constexpr int VAL_RED = 0xFF0000;
constexpr int VAL_GREEN = 0x00FF00;
constexpr int VAL_BLUE = 0x0000FF;
constexpr int VAL_BLACK = 0x000000;
constexpr int VAL_YELLOW = 0xFFFF00;
constexpr int VAL_MAGENTA = 0xFF00FF;
constexpr int VAL_LT_GRAY = 0xC0C0C0;

// ---- file dialog ----
constexpr int VAL_OK_BUTTON = 0;
constexpr int VAL_SAVE_BUTTON = 1;
constexpr int VAL_SELECT_BUTTON = 2;
constexpr int VAL_LOAD_BUTTON = 3;
constexpr int VAL_NO_FILE_SELECTED = 0;
constexpr int VAL_EXISTING_FILE_SELECTED = 1;
constexpr int VAL_NEW_FILE_SELECTED = 2;

// ---- formatted file reading ----
constexpr int VAL_READ_ONLY = 1;
constexpr int VAL_OPEN_AS_IS = 0;
constexpr int VAL_ASCII = 1;
constexpr int kMaxOpenFiles = 16;  // data files open at one time

// ---- event loop ----
constexpr int VAL_SLEEP_MORE = 3;

// ---- callbacks, found by the names the resource file gives ----
using CtrlCallbackPtr = int (*)(int panel, int control, int event, void* callbackData,
                                int eventData1, int eventData2);
using PanelCallbackPtr = int (*)(int panel, int event, void* callbackData, int eventData1,
                                 int eventData2);
using MenuCallbackPtr = void (*)(int menuBar, int menuItem, void* callbackData, int panel);

void RegisterCtrlCallback(const char* name, CtrlCallbackPtr callback);
void RegisterPanelCallback(const char* name, PanelCallbackPtr callback);
void RegisterMenuCallback(const char* name, MenuCallbackPtr callback);

// ---- panels and the event loop ----
int InitRunTime(int argc, char* argv[]);  // starts the run-time; 0 on success
int LoadPanel(int parent, const char* resourceFile, int resourceId);  // handle, < 0 on failure
int DisplayPanel(int panel);
int HidePanel(int panel);
int DiscardPanel(int panel);  // removes a panel and its menu bar; the handle becomes unknown
int RunUserInterface();
int QuitUserInterface(int code);
int SetSleepPolicy(int policy);
int SetPanelAttribute(int panel, int attribute, const char* text);
int GetPanelMenuBar(int panel);  // menu-bar handle of a panel, < 0 when it has none
int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, int value);
int GetMenuBarAttribute(int menuBar, int menuItem, int attribute, int* value);
int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, const char* text);
int GetMenuBarAttribute(int menuBar, int menuItem, int attribute, std::string* text);
// The panel drawn offscreen at width x height, as the bytes of a PNG file; 0 on success.
int RenderPanelImage(int panel, int width, int height, std::string* png);

// ---- work off the user-interface thread ----
// Starts work on a thread of its own and returns at once; 0 on success. Work must not touch the
// workspace or any control: it hands results back through PostToUserInterface.
int RunInBackground(std::function<void()> work);
// Waits until all work started by RunInBackground has ended. User-interface thread only.
void JoinBackgroundWork();
// Runs task on the user-interface thread from the event loop, after the events already queued;
// callable from any thread. Without a run-time the task is dropped and the result is negative.
int PostToUserInterface(std::function<void()> task);

// ---- controls ----
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char* text);
int GetCtrlVal(int panel, int control, int* value);
int GetCtrlVal(int panel, int control, double* value);
int GetCtrlVal(int panel, int control, std::string* text);
int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, const char* text);
int GetCtrlAttribute(int panel, int control, int attribute, int* value);
int GetCtrlAttribute(int panel, int control, int attribute, std::string* text);
int SetActiveCtrl(int panel, int control);
// Arrow, wheel and page steps of a real-number field fit its value: one unit of the value's
// second significant digit (5 steps by 0.1, 50 by 1, 1200 by 100; 100 steps down to 99, not 90),
// never less than leastStep. With positive set, a step that would reach zero or below stops at
// leastStep instead. A typed value is kept as typed.
int SetAdaptiveStep(int panel, int control, double leastStep, int positive);
// Sets a real-number field to value and delivers a commit to its callback, exactly as when the
// user enters that value (pending entries elsewhere are finished first).
int CommitCtrlVal(int panel, int control, double value);
int ResetTextBox(int panel, int control, const char* text);

// ---- graphs ----
int PlotXY(int panel, int graph, const double* x, const double* y, int count, int xType, int yType,
           int plotStyle, int pointStyle, int lineStyle, int pointFrequency,
           int color);  // plot handle > 0, < 0 on failure
int DeleteGraphPlot(int panel, int graph, int plotHandle, int refresh);  // -1: every plot
int SetPlotAttribute(int panel, int graph, int plotHandle, int attribute, int value);
int SetAxisRange(int panel, int graph, int xMode, double xMin, double xMax, int yMode, double yMin,
                 double yMax);
int SetGraphCursor(int panel, int graph, int cursor, double x, double y);
int GetGraphCursor(int panel, int graph, int cursor, double* x, double* y);

// ---- shaded regions on a graph ----
// Stretches of the x axis drawn shaded over the whole height of a graph. Once regions are
// enabled on a graph the user edits them with the mouse: Shift+drag marks a new stretch to leave
// out, Shift+drag inside one moves it, dragging an edge resizes it, and the right button offers
// removing it or making it the noise region (at most one). After every change the user makes,
// the callback is called; the program reads the regions back with GetGraphRegions.
constexpr int REGION_EXCLUDED = 0;  // left out of the fit: shaded grey
constexpr int REGION_NOISE = 1;     // the noise region: shaded blue
struct GraphRegion {
  int kind;     // REGION_EXCLUDED or REGION_NOISE
  double from;  // x axis units, from <= to
  double to;
};
using RegionCallbackPtr = void (*)(int panel, int graph);
int EnableGraphRegions(int panel, int graph, RegionCallbackPtr changed);
int SetGraphRegions(int panel, int graph, const std::vector<GraphRegion>& regions);
int GetGraphRegions(int panel, int graph, std::vector<GraphRegion>* regions);
// The stretch the right-button menu offers as the noise region, in the menu's words label
// (from >= to: none to offer).
int SetGraphNoiseSuggestion(int panel, int graph, double from, double to, const char* label);

// ---- handles: points on a graph the user drags with the mouse ----
// A handle is drawn small and quiet, grows under the mouse and shows its tip while hovered and
// dragged. Dragging reports where the handle has been moved to (its start plus the mouse's
// movement, in axis units) to the graph's handle callback, HANDLE_MOVED during the drag and
// HANDLE_RELEASED once at the end. While a handle is dragged the axes keep their ranges.
constexpr int HANDLE_MOVED = 1;
constexpr int HANDLE_RELEASED = 2;
using GraphHandleCallbackPtr = void (*)(int panel, int graph, int handle, int phase, double x,
                                        double y);
int SetGraphHandleCallback(int panel, int graph, GraphHandleCallbackPtr callback);
// Places handle (> 0) at (x, y), creating it when new; a coordinate that is not finite hides it.
int SetGraphHandle(int panel, int graph, int handle, double x, double y, int color,
                   const char* tip);

// ---- tabs ----
// A tab control shows one tab per label with tab `current` brought up, without a callback; the
// user's choice of a tab commits it, and GetCtrlVal(int) gives the tab brought up.
int SetCtrlTabs(int panel, int control, const std::vector<std::string>& labels, int current);

// ---- right-button menus on controls ----
// Choosing item k (0-based) of the menu calls chosen(panel, control, k). An empty list removes it.
using CtrlMenuCallbackPtr = void (*)(int panel, int control, int item);
int SetCtrlContextMenu(int panel, int control, const std::vector<std::string>& items,
                       CtrlMenuCallbackPtr chosen);

// ---- popups and the clipboard ----
int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec,
                    const char* fileTypeList, const char* title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, std::string* path);
// Asks for a folder: 1 with its path when one was chosen, 0 when cancelled or no person can be
// asked. The test seams answer it from the file dialog's queue.
int DirSelectPopup(const char* defaultDirectory, const char* title, int allowCancel,
                   int allowMakeDirectory, std::string* path);
int MessagePopup(const char* title, const char* message);
// Asks for one line of text: 1 with the text entered, 0 when cancelled or no person can be asked.
int PromptPopup(const char* title, const char* message, std::string* response);
// Asks for two lines of text in one box, each under its label and shown as *first and *second
// hold them: 1 with both as entered, 0 when cancelled or no person can be asked. The test seams
// answer it with two queued prompt answers.
int PromptPairPopup(const char* title, const char* message, const char* firstLabel,
                    const char* secondLabel, std::string* first, std::string* second);
// Asks a question with one button per answer (at most kMaxAnswers); returns the index of the
// answer chosen, or -1 when the box was closed or no person can be asked.
constexpr int kMaxAnswers = 4;
int QuestionPopup(const char* title, const char* message, const std::vector<std::string>& answers,
                  int defaultAnswer);
int ClipboardPutText(const char* text);

// ---- figures ----
constexpr int FIGURE_PDF = 0;  // vector, one page the size of the figure
constexpr int FIGURE_SVG = 1;  // vector
constexpr int FIGURE_PNG = 2;  // raster, at scale times the figure's size in pixels
// The given graphs of a panel drawn into one figure as the bytes of a file: the first graph
// across the top, the others side by side below it, each with its axes, labels and plots.
// scale applies to PNG only (1 to 8). 0 on success.
int RenderGraphFigure(int panel, const std::vector<int>& graphs, int format, double scale,
                      std::string* bytes);

// A figure for a paper: white, without the window's handles and cursor unless asked, the measured
// traces pale under the other plots, excluded regions as light bands, everything clipped to the
// plot rectangles, axis titles and ticks across each axis, a legend beside the top graph, text
// of at least 7 pt, on a page of the given size.
struct FigureLegendEntry {
  std::string label;  // "-60 mV"
  int color;          // 0xRRGGBB of the line shown beside it
};
struct PaperFigure {
  int topGraph = 0;                       // across the whole width (the data graph); 0: none
  int stripGraph = 0;                     // under it, on its time axis (the residuals); 0: none
  std::vector<int> lowerGraphs;           // side by side at the bottom (the curve graphs)
  std::vector<FigureLegendEntry> legend;  // beside the top graph
  std::string stripTitle;                 // the strip's y-axis title; "": the window's
  double widthMm = 85.0;                  // the page: one column of a journal
  double heightMm = 60.0;
  int dpi = 300;         // PNG: pixels per inch
  bool cursor = false;   // cursor 1 and the marks where it crosses the plots
  bool handles = false;  // the drag handles
};
constexpr double kMinFigureMm = 20.0;   // no axis fits on less
constexpr double kMaxFigureMm = 500.0;  // beyond any page
constexpr int kMinFigureDpi = 72;
constexpr int kMaxFigureDpi = 1200;
int RenderPaperFigure(int panel, const PaperFigure& figure, int format, std::string* bytes);

// ---- formatted reading of data files (no toolkit needed) ----
int OpenFile(const char* path, int action, int openMode, int fileType);  // handle, -1 failure
// Opens length bytes held in memory for the same reading, so that a reader takes text or bytes
// as well as a file; the bytes must outlive the handle. A handle, -1 on failure.
int OpenBytes(const char* bytes, size_t length);
// Opens an open file descriptor for reading as OpenFile does (CloseFile closes it too); -1 and
// the descriptor closed on failure.
int OpenDescriptor(int descriptor);
int CloseFile(int fileHandle);
// Reads the next line without its line end and a terminating NUL into buffer (maxChars + 1
// bytes, or null to skip the line); returns the number of bytes stored, -1 at the end of the
// file. LF, CR LF and a lone CR all end a line. A line longer than maxChars is not taken past
// them, so that an endless line (a pipe that never sends a line end) cannot hold the reader:
// returns kLineTooLong then, with the rest of the line unread.
constexpr int kLineTooLong = -2;
int ReadLineWithin(int fileHandle, char* buffer, int maxChars);
// The line, counted from 1, of the next character a read would take (for messages).
int GetFileLineNumber(int fileHandle);
// "%s>%Nf" or "%s>%Nf[x]": reads N real numbers from text in memory into numbers[0 .. N-1]
// (white space and line ends between them; with [x] the character ending each is taken too);
// returns 1 when all N were filled, 0 or less otherwise.
int Scan(std::string_view source, const char* format, double* numbers);
// How many bytes of its text the last Scan took, filled or not (at most INT_MAX).
int NumFmtdBytes();

// ---- analysis library ----
int Clear1D(double* array, int count);
int MaxMin1D(const double* array, int count, double* max, int* maxIndex, double* min,
             int* minIndex);
