// The rules of the scheme settings page, apart from its windows: the grid of sliders with
// their labels and frames, the stand-by / hibernate partner moves, the hard-disk limit, the
// column in effect with its icons, and the help strings of the grid.
#pragma once

#include <cstdint>

namespace applet {

inline constexpr int kGridRows = 6;
inline constexpr int kGridColumns = 4;

enum GridRow { kRowProcessor, kRowBrightness, kRowMonitor, kRowDisk, kRowStandby, kRowHibernate };

struct GridCell {
    int slider;
    int label;
    int frame;
};

struct GridRowInfo {
    GridCell cells[kGridColumns];
    int icon;       // the row's icon control
    int choices;    // string of its choices
    int helpString; // the help text of the row's controls
};

// In the order the mode stores its 24 words: processor, brightness, monitor, hard disk,
// stand-by, hibernate, each columns 1..4.
inline constexpr GridRowInfo kGrid[kGridRows] = {
    {{{1004, 1006, 1018}, {1005, 1007, 1019}, {1008, 1009, 1020}, {1014, 1015, 1021}},
     1026,
     101,
     1026},
    {{{1048, 1049, 1036}, {1050, 1051, 1037}, {1052, 1053, 1038}, {1054, 1055, 1039}},
     1027,
     103,
     1027},
    {{{1064, 1065, 1040}, {1066, 1067, 1041}, {1068, 1069, 1042}, {1070, 1071, 1043}},
     1028,
     105,
     1028},
    {{{1072, 1073, 1044}, {1074, 1075, 1045}, {1076, 1077, 1046}, {1078, 1079, 1047}},
     1029,
     105,
     1029},
    {{{1056, 1057, 1088}, {1058, 1059, 1089}, {1060, 1061, 1090}, {1062, 1063, 1091}},
     1030,
     105,
     1030},
    {{{1080, 1081, 1092}, {1082, 1083, 1093}, {1084, 1085, 1094}, {1086, 1087, 1095}},
     1031,
     106,
     1031},
};

inline constexpr int kColumnIcons[kGridColumns] = {1022, 1023, 1024, 1025};
inline constexpr int kProcessorRowText = 1141;
inline constexpr int kHibernateRowText = 1096;

// Stand-by moved to `standby` with its hibernate partner at `hibernate`: where hibernate goes
// (the hibernate list has one more long choice, so the same position is one step longer).
int HibernateAfterStandbyMove(int standby, int hibernate);
// Hibernate moved to `hibernate` (its list ends at `hibernateMax`, "1 min"): where stand-by
// goes. At the end of the list stand-by is switched off, since no stand-by time is shorter.
int StandbyAfterHibernateMove(int hibernate, int standby, int hibernateMax);

// The last choice of the hard-disk sliders for the system's shortest spin-down time (seconds):
// the choices shorter than it are cut off. A time the list does not have, or none at all (0,
// the value could not be read), keeps the whole list of `count` choices.
int DiskSliderMaximum(std::uint32_t minimumSeconds, int count);

// The column of a mode that is in effect now, or -1: an AC mode on mains when it is the AC
// mode in force, a battery mode on battery when it is the battery mode in force (its column
// by the battery percentage, 255 or less than 0 for none). acLine: 1 on, 0 off, else unknown.
int ColumnInEffect(int acLine, bool acMode, int modeId, std::uint32_t pwrSchemeAC,
                   std::uint32_t pwrSchemeDC, int batteryPercent);

// The icon a column shows, in effect or not (AC modes have column 0 only).
int ColumnIcon(bool acMode, int column, bool inEffect);

// AC modes show these row icons instead of the battery ones of the template.
inline constexpr int kAcRowIcons[kGridRows] = {172, 170, 171, 168, 174, 169};

// The help string of a control of the page: a slider, its label and its frame explain their
// row; column icon 1022 of an AC mode has a text of its own.
int SettingsPageHelpId(int controlId, bool acMode);

} // namespace applet
