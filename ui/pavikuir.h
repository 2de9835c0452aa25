// Panel, control and menu ids of the user-interface resource pavikuir.uir. The .ui files under
// ui/ carry the same numbers in their ctrlId and menuId properties; a test checks both agree.
#pragma once

// ---- panels (resource ids) ----
constexpr int DCLAMP = 1;   // dynamic-clamp settings panel
constexpr int INFO = 2;     // information panel
constexpr int OPTIONS = 3;  // options panel
constexpr int PANEL = 4;    // main panel, carries the menu bar

// ---- main panel: ids fixed by the program ----
constexpr int PANEL_V6 = 2;  // step voltage of trace 6
constexpr int PANEL_V5 = 3;
constexpr int PANEL_V1 = 4;
constexpr int PANEL_V2 = 5;
constexpr int PANEL_V3 = 6;
constexpr int PANEL_V4 = 7;
constexpr int PANEL_P = 8;  // activation gate power (int)
constexpr int PANEL_Q = 9;  // inactivation gate power (int)
constexpr int PANEL_VHOLD = 10;
constexpr int PANEL_GMAX = 11;
constexpr int PANEL_EREV = 12;
constexpr int PANEL_VM = 13;
constexpr int PANEL_KM = 14;
constexpr int PANEL_VH = 15;
constexpr int PANEL_KH = 16;
constexpr int PANEL_VTM = 17;
constexpr int PANEL_KTM = 18;
constexpr int PANEL_VTH = 19;
constexpr int PANEL_KTH = 20;
constexpr int PANEL_TMLO = 21;
constexpr int PANEL_TMHI = 22;
constexpr int PANEL_THLO = 23;
constexpr int PANEL_THHI = 24;
constexpr int PANEL_FITCURR10 = 25;  // in-fit toggle of current n has id 35 - n
constexpr int PANEL_FITCURR9 = 26;
constexpr int PANEL_FITCURR8 = 27;
constexpr int PANEL_FITCURR7 = 28;
constexpr int PANEL_FITCURR6 = 29;
constexpr int PANEL_FITCURR5 = 30;
constexpr int PANEL_FITCURR4 = 31;
constexpr int PANEL_FITCURR3 = 32;
constexpr int PANEL_FITCURR2 = 33;
constexpr int PANEL_FITCURR1 = 34;
constexpr int PANEL_DOFIT = 35;     // fit button
constexpr int PANEL_GRAPH = 36;     // data graph with cursor 1
constexpr int PANEL_DATACTRL = 37;  // un-dimmed with the data-dependent controls
constexpr int PANEL_XMAX = 38;
constexpr int PANEL_BASELINE = 39;
constexpr int PANEL_YMIN = 40;
constexpr int PANEL_YMAX = 41;
constexpr int PANEL_XMIN = 42;
constexpr int PANEL_TAUGRAPH = 43;  // time-constant curves
constexpr int PANEL_MHGRAPH = 44;   // steady-state curves
constexpr int PANEL_NAME = 45;
constexpr int PANEL_TRACECOLORS = 46;
constexpr int PANEL_PARAMFILE = 61;
constexpr int PANEL_FITMSG = 63;
constexpr int PANEL_DATAFILE = 66;
constexpr int PANEL_CURRCOLOR = 67;
constexpr int PANEL_VMIN = 68;
constexpr int PANEL_VMAX = 69;

// ---- main panel: ids the resource assigns (distinct from every fixed id above) ----
constexpr int PANEL_AUTOUPDATE = 70;
constexpr int PANEL_CURRBUT1 = 71;  // selector button of current n: 70 + n
constexpr int PANEL_CURRBUT2 = 72;
constexpr int PANEL_CURRBUT3 = 73;
constexpr int PANEL_CURRBUT4 = 74;
constexpr int PANEL_CURRBUT5 = 75;
constexpr int PANEL_CURRBUT6 = 76;
constexpr int PANEL_CURRBUT7 = 77;
constexpr int PANEL_CURRBUT8 = 78;
constexpr int PANEL_CURRBUT9 = 79;
constexpr int PANEL_CURRBUT10 = 80;
constexpr int PANEL_CURRLABEL1 = 81;  // name box of current n: 80 + n
constexpr int PANEL_CURRLABEL2 = 82;
constexpr int PANEL_CURRLABEL3 = 83;
constexpr int PANEL_CURRLABEL4 = 84;
constexpr int PANEL_CURRLABEL5 = 85;
constexpr int PANEL_CURRLABEL6 = 86;
constexpr int PANEL_CURRLABEL7 = 87;
constexpr int PANEL_CURRLABEL8 = 88;
constexpr int PANEL_CURRLABEL9 = 89;
constexpr int PANEL_CURRLABEL10 = 90;
constexpr int PANEL_GOODNESS = 140;      // the goodness-of-fit line under the data graph
constexpr int PANEL_RESIDUALS = 141;     // residual strip under the data graph
constexpr int PANEL_MESSAGE = 142;       // the message line: where the last saves went
constexpr int PANEL_COMMANDSTRIP = 143;  // each trace's command over the data graph (steps)
constexpr int PANEL_RECORDINGS = 144;    // the session's recordings: one tab each, over the graph

// ---- main panel: the least-squares polish ----
constexpr int PANEL_FREE_VM =
    120;  // free toggle of the field: 120 + its place in the parameter table
constexpr int PANEL_FREE_VH = 121;
constexpr int PANEL_FREE_KM = 122;
constexpr int PANEL_FREE_KH = 123;
constexpr int PANEL_FREE_TMHI = 124;
constexpr int PANEL_FREE_TMLO = 125;
constexpr int PANEL_FREE_THHI = 126;
constexpr int PANEL_FREE_THLO = 127;
constexpr int PANEL_FREE_VTM = 128;
constexpr int PANEL_FREE_VTH = 129;
constexpr int PANEL_FREE_KTM = 130;
constexpr int PANEL_FREE_KTH = 131;
constexpr int PANEL_FREE_VHOLD = 132;
constexpr int PANEL_FREE_GMAX = 133;
constexpr int PANEL_FREE_EREV = 134;
constexpr int PANEL_FREE_BASELINE = 135;  // the baseline free in the polish
constexpr int PANEL_POLISH = 136;
constexpr int PANEL_CANCELPOLISH = 137;
constexpr int PANEL_POLISHMSG = 138;  // the polish's progress and outcome

// ---- dynamic-clamp panel ----
constexpr int DCLAMP_INT6 = 2;
constexpr int DCLAMP_INT5 = 3;
constexpr int DCLAMP_INT4 = 4;
constexpr int DCLAMP_INT3 = 5;
constexpr int DCLAMP_INT2 = 6;
constexpr int DCLAMP_INT1 = 7;
constexpr int DCLAMP_GLOBAL4 = 8;
constexpr int DCLAMP_SETTING8 = 9;
constexpr int DCLAMP_SETTING7 = 10;
constexpr int DCLAMP_SETTING6 = 11;
constexpr int DCLAMP_SETTING5 = 12;
constexpr int DCLAMP_SETTING4 = 13;
constexpr int DCLAMP_SETTING3 = 14;
constexpr int DCLAMP_SETTING2 = 15;
constexpr int DCLAMP_SETTING1 = 16;
constexpr int DCLAMP_GLOBAL3 = 17;
constexpr int DCLAMP_GLOBAL2 = 18;
constexpr int DCLAMP_GLOBAL1 = 19;
constexpr int DCLAMP_CLOSE = 20;
constexpr int DCLAMP_CURRENT = 21;  // shown current, 1 to 10

// ---- options panel ----
constexpr int OPTIONS_HEADERLINES = 2;
constexpr int OPTIONS_CLOSE = 3;          // OK button: stores and hides
constexpr int OPTIONS_NORMALISE = 4;      // toggle: measured points divided by 0.001 * Gmax
constexpr int OPTIONS_FOLLOWCOMMAND = 5;  // toggle: the model follows each trace's whole command

// ---- information panel ----
constexpr int INFO_TEXT = 2;
constexpr int INFO_CLOSE = 3;

// ---- main menu bar ----
constexpr int MENUBAR = 1;    // the main panel's menu bar
constexpr int MENU_FILE = 2;  // menu titles and separators: ids that do nothing
constexpr int MENU_OPENDATA = 3;
constexpr int MENU_OPENPARAM = 4;
constexpr int MENU_SAVEPARAM = 5;
constexpr int MENU_FILE_SEPARATOR = 6;
constexpr int MENU_QUIT = 7;
constexpr int MENU_EDIT = 8;
constexpr int MENU_COPY = 9;
constexpr int MENU_PASTE = 10;
constexpr int MENU_EDIT_SEPARATOR = 11;
constexpr int MENU_CLIPBOARD = 12;
constexpr int MENU_PANELS = 13;
constexpr int MENU_DCLAMP = 14;
constexpr int MENU_OPTIONS = 15;
constexpr int MENU_INFO = 16;
constexpr int MENU_UNDO = 17;  // "Undo <step>", the step named
constexpr int MENU_REDO = 18;  // "Redo <step>"
constexpr int MENU_EDIT_SEPARATOR2 = 19;
constexpr int MENU_FILE_SEPARATOR2 = 20;
constexpr int MENU_OPENSESSION = 21;
constexpr int MENU_SAVESESSION = 22;
constexpr int MENU_FILE_SEPARATOR3 = 23;
constexpr int MENU_EXPORTFIGURE = 24;
constexpr int MENU_EXPORTTABLE = 25;
constexpr int MENU_EXPORTNMODL = 26;  // File > Export NEURON Mechanisms
constexpr int MENU_FIT = 30;          // the Fit menu's title
constexpr int MENU_POLISH = 31;
constexpr int MENU_CANCELPOLISH = 32;
constexpr int MENU_FITSUMMARY = 33;       // Edit > Copy Fit Summary
constexpr int MENU_ADDRECORDING = 34;     // File > Add Recording...
constexpr int MENU_RENAMERECORDING = 36;  // the shown recording's
constexpr int MENU_REMOVERECORDING = 37;
constexpr int MENU_RECORDINGINPOLISH = 38;    // "Leave Recording Out of the Polish" or back in
constexpr int MENU_RECORDING_SEPARATOR = 39;  // File: after the recordings' items
constexpr int MENU_PREVRECORDING = 40;        // Ctrl+PgUp
constexpr int MENU_NEXTRECORDING = 41;        // Ctrl+PgDown
