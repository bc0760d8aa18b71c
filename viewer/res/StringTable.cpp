#include "res/StringTable.h"
#include "res/StringIds.h"

#include <algorithm>
#include <iterator>
#include <tuple>

#include "VexlanVersion.h"

namespace vexlan {
namespace {

struct Entry {
    int id;
    const char* text;
};

// Sorted by id. Labels of the displays and the report (62112 and up) sit with their users' ids.
constexpr Entry kStrings[] = {
    {128, "Vexlan\n\nVexlan\nCorrelation Files (*.ked)\n.ked\nVexlan.Document\nCorrelation File"},
    {57344, "Vexlan"},
    {57345, "Ready"},
    // Status bar indicators, under their pane ids.
    {59137, "CAP"},
    {59138, "NUM"},
    {59139, "SCRL"},
    {61715, "Please enter a number."},
    {61716, "Please enter a number between 0 and %g."},
    {62000,
     "Could not communicate with the Halcyra Digital\n\nPlease check the connections and ensure that the Halcyra "
     "Digital is switched on. "},
    {62001,
     "Could not transmit message to the Halcyra Digital\n\nPlease check the connections and ensure that the Halcyra "
     "Digital is switched on."},
    {62002,
     "Communications Port closed\n\nPlease check that no other program is using the COM port and\nretry operation."},
    {62003, "Could not open the file on the Halcyra Digital\n\nPlease check the file exists and retry operation."},
    {62004,
     "Could not write to the local file\n\nPlease check that the location of the file is valid and that\nthe file is "
     "not being used by another operation."},
    {62005, "Unable to open communications port.\n\nPort number out of range or device already in use."},
    {62006, "Unable to open communications port.\n\nCouldn't open device."},
    {62007, "Unable to open communications port.\n\nCouldn't read current setup."},
    {62008, "Unable to open communications port.\n\nCouldn't set up port."},
    {62009, "Unable to open communications port.\n\nModem connection failed."},
    {62010, "Unable to open communications port.\n\nCouldn't set up timer."},
    {62016,
     "Could not open local file. \n\nPlease check that the file exists and is not being used by another program or "
     "that the file is not Read-Only."},
    {62017,
     "Could not read from the local file\n\nPlease check that this file is not being used by another program and retry "
     "the operation."},
    {62018, "Could not close local file.\n\nPlease check that file is not being used by another program."},
    {62019,
     "Could not save the data to the file. \n\nPlease check that the file is not being used by another program."},
    {62020, "The selected Halcyra Digital file is incompatible with this program."},
    {62032,
     "The application will attempt to Communicate with the Halcyra Digital\n\nPlease make sure Halcyra Digital is "
     "connected and switched ON."},
    {62033,
     "COM port setting could not be retrieved from the registry\n\nPlease select COM port manually before downloading "
     "a file"},
    {62034, "Do you want to open this file now?"},
    {62035, "Do you want to save current file?"},
    {62036, "Does the Halcyra Digital need re-starting?"},
    {62037, "Could not save current settings to the registry"},
    {62038, "Select the download destination: "},
    {62048, "High Cutoff Frequency cannot be set to a value lower than the Low Cutoff Frequency"},
    {62049, "Low Cutoff Frequency cannot be set to a value higher than the High Cutoff Frequency"},
    {62050, "Please set previous notch filter"},
    {62051, "There are 5 notch filters already in use\n please delete one then try again"},
    {62052, "Please select a file"},
    {62053, "Please select a notch filter"},
    {62064, "The pipe material names were not loaded properly\nPlease reload the file"},
    {62065,
     "The pipe material list was not loaded properly. This will result in the application having limited pipe "
     "information.\nTry reloading the file to solve the problem"},
    {62066,
     "Could not create the pipe material list file\nThis will result in the application having limited pipe "
     "information.\nTry reloading the file to solve the problem"},
    {62067,
     "Could not read the material list file\nThis will result in the application having limited pipe information.\nTry "
     "reloading the file to solve the problem"},
    {62068, "Error reading default High Cutoff Frequency\nHigh Cutoff Frequency set to 0.0"},
    {62069, "Error reading default Low Cutoff Frequency\nLow Cutoff Frequency set to 0.0"},
    {62070,
     "This application does not use the Auto Filter\n\nThe data will be displayed with the Auto Filter switched off"},
    {62071, "Critical components of the application have been corrupted!\n\nPlease reinstall the application"},
    {62072,
     "This application cannot be run on a screen resolution less than 800x600. Please set the screen resolution to a "
     "minimum of 800x600 and restart the application."},
    {62080, "Asbestos Cement"},
    {62081, "Copper"},
    {62082, "Ductile Iron"},
    {62083, "HDPE"},
    {62084, "Cast Iron"},
    {62085, "LDPE"},
    {62086, "Lead"},
    {62087, "MDPE"},
    {62088, "PVC"},
    {62089, "RCCP"},
    {62090, "Steel"},
    {62091, "Material 12"},
    {62092, "Material 13"},
    {62093, "Material 14"},
    {62094, "Material 15"},
    {62095, "Material 16"},
    {62096, "Material 17"},
    {62097, "Material 18"},
    {62098, "Material 19"},
    {62099, "Material 20"},
    {62112, "File : "},
    {62113, "Time Delay  "},
    {62114, "Distance From Sensor 1  "},
    {62115, "Distance From Sensor 2  "},
    {62116, "Segment "},
    {62117, "Material "},
    {62118, "Length "},
    {62119, "Diameter "},
    {62120, "Velocity "},
    {62121, "Low Cutoff : "},
    {62122, "High Cutoff : "},
    {62123, "Auto Filter : "},
    {62124, "Notch Filter : "},
    {62125, "Pipe Details "},
    {62126, "Filter Settings "},
    {62127, "Notch Filter Settings "},
    {62128, "Set Start Point"},
    {62129, "Set End Point"},
    {62130, "OFF"},
    {62131, "ON"},
    {62132, "NOT SET"},
    {62133, "OPEN"},
    {62134, "Title : "},
    {62135, "Date Created : "},
    {62136, "Filename : "},
    {62137, "Notch 1 "},
    {62138, "Notch 2 "},
    {62139, "Notch 3 "},
    {62140, "Notch 4 "},
    {62141, "Notch 5 "},
    {62142, "OUT OF BRACKET"},
    // Units beside the values: metric and imperial lengths, diameters, velocities; seconds.
    {62144, "m"},
    {62145, "ft"},
    {62146, "mm"},
    {62147, "ins"},
    {62148, "m /"},
    {62149, "ft /"},
    {62150, "s"},
    {62151, "ms"},
    // The tool bar's title.
    {62152, "Standard"},
    // Frequencies on the printed page.
    {62153, "Hz"},
    // Hints.
    {62154, "Type a frequency and press Enter to move the slider there"},
    // Output of the report, the printed page and the graph picture.
    {62160, "Could not write the output file.\n\nPlease check that the folder exists and that you may write to it."},
    {62161, "There is no printer to print to.\n\nPlease set up a printer, or print to a PDF file."},
    {62162, "The printer could not start the page.\n\nPlease check the printer and retry the operation."},
    {62163, "The clipboard could not be used.\n\nPlease retry the operation."},
    {62164, "There is no correlation file loaded."},
    // Checks of the filter and file information dialogs beyond the instrument's own.
    {62165, "Notch filters cannot overlap\n\nPlease choose an edge outside the other notch filters"},
    {62166, "Please enter a frequency from 0.0 to 1220.0 Hz"},
    {62167, "Please enter no more than %u characters."},
    {62168, "This text needs more room than its field has.\nPlease shorten it."},
    // Downloading from the instrument and the serial devices behind the port names.
    {62176, "%s already exists.\n\nDo you want to replace it?"},
    {62177, "Downloading %s (file %d of %d)"},
    {62178, "Downloading %s"},
    {62179, "%llu bytes received"},
    {62180, "Port Devices"},
    {62181, "Serial device used for each port name:"},
    {62182, "Default: %s"},
    {62183, "Port &Devices..."},
    // Writing and reading local files.
    {62192, "This is not a regular file (it is a device, a pipe or a folder).\n\nPlease choose a file name."},
    {62193, "The file is read-only.\n\nDo you want to replace it?"},
    {62194,
     "Two of the files have the same name and would be exported to the same output file.\n\nPlease export them to "
     "different folders."},
    {62195, "The file is read-only and was not replaced."},
    {62196, "unknown subcommand '%s'"},
    {62197, "no correlation files (.ked) in %s"},
    // What a download is doing while the progress window shows.
    {62200, "Waking the Halcyra Digital..."},
    {62201, "Listing the files on the Halcyra Digital..."},
    {62202, "Retrying (%d of %d)"},
    // The velocity calculator and the measurement from a known source.
    {62240, "The diameter and the wall thickness must be positive numbers."},
    {62241, "The wall is too thick for the diameter: no bore is left inside it."},
    {62242, "The SDR (outside diameter over wall thickness) must be a number above 2."},
    {62243, "The material's elastic modulus must be a positive number."},
    {62244, "The source position lies outside the pipe: give a distance from 0 to the pipe's length."},
    {62245,
     "The time delay at the cursor is too close to zero to measure a velocity from.\n\nPut the cursor on the source's "
     "peak, or make the noise nearer one sensor."},
    {62246,
     "The time delay at the cursor has the wrong sign for a source at that place.\n\nCheck which sensor the source was "
     "near, and that the cursor is on the source's peak."},
    {62247, "A source there gives nearly the same delay whatever the velocity.\n\nMake the noise nearer one sensor."},
    {62248, "The pipe has no segment with a positive length and velocity."},
    {62249, "At least two recordings with different pipe lengths are needed to fit a velocity."},
    {62250, "The delays do not fall as the pipe grows longer: no positive velocity fits them."},
    {62251, "Unknown material: %s"},
    {62252, "There is no correlation to measure a delay from."},
    // The button beside the form's Velocity box; the Velocity Calculator and Measure Velocity
    // dialogs, and the leak interval of a peak.
    {62260, "..."},
    {62261, "Calculate the velocity from the pipe's wall"},
    {62262, "Velocity Calculator"},
    {62263, "Material"},
    {62264, "Outside diameter"},
    {62265, "Wall thickness"},
    {62266, "SDR"},
    {62267, "Velocity"},
    {62268, "Elastic modulus %.3g GPa: %s"},
    {62269, "OK"},
    {62270, "Cancel"},
    {62271, "The list of pipe wall materials could not be read, so no velocity can be calculated.\n\n%s"},
    {62272, "Measure Velocity"},
    {62273, "Where was the noise made?"},
    {62274, "At a distance from sensor 1"},
    {62275, "At or beyond sensor 1"},
    {62276, "At or beyond sensor 2"},
    {62277, "Time delay of the peak at the cursor"},
    {62278, "New velocity"},
    {62279, "Every segment's velocity times %.4f (%d segments)"},
    {62280, "    leak within %.1f - %.1f %s"},
    // Notices about a file as it was opened.
    {62290,
     "This change is made by Vexlan, not by you: the file is only offered for saving when you change something else."},
    {62291,
     "This correlation file is incomplete: it has %llu of the %llu bytes of a whole file.\n\nThe missing part is read "
     "as zeros."},
    // Why a record's correlation cannot be recomputed, in order of the engine's problems.
    {63000, "the sample count is not a power of two from 2 to 8192"},
    {63001, "the sample rate is not a usable positive number"},
    {63002, "a pipe segment has a length, diameter or velocity that gives no usable number"},
    {63003, "a filter frequency is not a number"},
    {63005, "This correlation cannot be recomputed: %s."},
    // Correlation methods, the analysis flags in words, and the analysis lines.
    {63016, "Basic"},
    {63017, "SCOT"},
    {63018, "PHAT"},
    {63019, "Automatic"},
    {63020, "source beyond a sensor"},
    {63021, "hum or electrical pick-up at zero delay"},
    {63022, "no usable frequency band"},
    {63024, "the record's values give no finite correlation to analyse"},
    {63025, "%s  quality %d %%"},
    {63026, "Correlation method: %s, quality %d %%"},
    {63027, "Peaks"},
    {63028, "%d.  %.4f %s    %.1f / %.1f %s    height %d %%    quality %d %%"},
    {63029, "Suggest"},
    {63030, "No band was found where the two sensors agree.\n\nThe cut-offs are left as they are."},
};

constexpr bool StrictlyIncreasing(const Entry* first, const Entry* last) {
    return std::adjacent_find(first, last, [](const Entry& a, const Entry& b) { return a.id >= b.id; }) == last;
}
static_assert(StrictlyIncreasing(std::begin(kStrings), std::end(kStrings)),
              "the string ids must stay sorted and unique");

struct ResourceEntry {
    int resourceId;
    int itemId;
    const char* text;
};

using resource::kAboutDialog;
using resource::kDownloadDialog;
using resource::kFileInformationDialog;
using resource::kFilterSettingsDialog;
using resource::kFormTemplate;
using resource::kMainMenu;

// Sorted by resource, then item.
constexpr ResourceEntry kResourceTexts[] = {
    // The About box: caption, version line, copyright line.
    {kAboutDialog, 0, "About Vexlan"},
    {kAboutDialog, 1, "Vexlan Version " VEXLAN_VERSION},
    {kAboutDialog, 2, "Copyright (C) Norvane Instruments"},
    // The main form, by control id.
    {kFormTemplate, 1000, "Correlation Result"},
    {kFormTemplate, 1001, "Pipe Details"},
    {kFormTemplate, 1002, "Filter Settings"},
    {kFormTemplate, 1003, "Remove"},
    {kFormTemplate, 1004, "File Information"},
    {kFormTemplate, 1021, "Segment"},
    {kFormTemplate, 1022, "Key"},
    {kFormTemplate, 1023, "Material"},
    {kFormTemplate, 1024, "Length"},
    {kFormTemplate, 1025, "Diameter"},
    {kFormTemplate, 1026, "Velocity"},
    {kFormTemplate, 1033, "Length"},
    {kFormTemplate, 1034, "Time"},
    {kFormTemplate, 1035, "Metric"},
    {kFormTemplate, 1036, "Imperial"},
    {kFormTemplate, 1037, "Seconds"},
    {kFormTemplate, 1038, "Milliseconds"},
    {kFormTemplate, 1039, "FileName"},
    {kFormTemplate, 1042, "Date Created"},
    {kFormTemplate, 1044, "mm"},
    {kFormTemplate, 1045, "m"},
    {kFormTemplate, 1047, "m /"},
    {kFormTemplate, 1048, "s"},
    {kFormTemplate, 1060, "Modify"},
    {kFormTemplate, 1061, "Low cut-off"},
    {kFormTemplate, 1062, "High cut-off"},
    {kFormTemplate, 1063, "Auto Filter"},
    {kFormTemplate, 1064, "Notch Filter"},
    {kFormTemplate, 1065, "Hz"},
    {kFormTemplate, 1070, "Hz"},
    {kFormTemplate, 1121, "Time Delay"},
    {kFormTemplate, 1122, "sec"},
    {kFormTemplate, 1156, "Set Start Point"},
    {kFormTemplate, 1157, "Peak Suppression"},
    // The main menu: popups by their popup id, then items by command id.
    {kMainMenu, 1, "&File"},
    {kMainMenu, 2, "&Edit"},
    {kMainMenu, 3, "&View"},
    {kMainMenu, 4, "&Options"},
    {kMainMenu, 5, "Change COM Port"},
    {kMainMenu, 6, "&Help"},
    {kMainMenu, 7, "Correlation &Method"},
    {kMainMenu, 32773, "Download File"},
    {kMainMenu, 32778, "Restart Halcyra Digital"},
    {kMainMenu, 32786, "COM&1"},
    {kMainMenu, 32787, "COM&2"},
    {kMainMenu, 32788, "COM&3"},
    {kMainMenu, 32789, "COM&4"},
    {kMainMenu, 32791, "&Save..\tCtrl+S"},
    {kMainMenu, 32792, "Save &As"},
    {kMainMenu, 32796, "Copy &Text"},
    {kMainMenu, 32797, "Copy &Graph"},
    {kMainMenu, 32798, "File Information"},
    {kMainMenu, 32800, "&Basic"},
    {kMainMenu, 32801, "&SCOT"},
    {kMainMenu, 32802, "&PHAT"},
    {kMainMenu, 32803, "&Automatic"},
    {kMainMenu, 32804, "&Peaks...\tCtrl+K"},
    {kMainMenu, 32805, "&Next Peak\tCtrl+."},
    {kMainMenu, 32806, "Pre&vious Peak\tCtrl+,"},
    {kMainMenu, 32807, "Measure &Velocity..."},
    {kMainMenu, 57601, "&Open...\tCtrl+O"},
    {kMainMenu, 57606, "P&rint Setup..."},
    {kMainMenu, 57607, "&Print...\tCtrl+P"},
    {kMainMenu, 57609, "Print Pre&view"},
    {kMainMenu, 57664, "&About Vexlan..."},
    {kMainMenu, 57665, "E&xit"},
    {kMainMenu, 59392, "&Toolbar"},
    {kMainMenu, 59393, "&Status Bar"},
    // The Download File dialog.
    {kDownloadDialog, 0, "Download File"},
    {kDownloadDialog, 2, "Cancel"},
    {kDownloadDialog, 1057, "File To Download"},
    {kDownloadDialog, 1117, "File"},
    {kDownloadDialog, 1118, "All"},
    {kDownloadDialog, 1174, "Download"},
    // The Filter Settings dialog.
    {kFilterSettingsDialog, 0, "Filter Settings"},
    {kFilterSettingsDialog, 1, "OK"},
    {kFilterSettingsDialog, 2, "Cancel"},
    {kFilterSettingsDialog, 1071, "Power Spectral Density"},
    {kFilterSettingsDialog, 1074, "Set"},
    {kFilterSettingsDialog, 1077, "Set"},
    {kFilterSettingsDialog, 1089, "Set"},
    {kFilterSettingsDialog, 1090, "Clear"},
    {kFilterSettingsDialog, 1091, "Set "},
    {kFilterSettingsDialog, 1092, "Cursor Position"},
    {kFilterSettingsDialog, 1094, "Hz"},
    {kFilterSettingsDialog, 1095, "Frequency (Hz)"},
    {kFilterSettingsDialog, 1096, "Mag (dB)"},
    {kFilterSettingsDialog, 1097, "100"},
    {kFilterSettingsDialog, 1098, "80"},
    {kFilterSettingsDialog, 1099, "60"},
    {kFilterSettingsDialog, 1100, "40"},
    {kFilterSettingsDialog, 1101, "20"},
    {kFilterSettingsDialog, 1102, "0"},
    {kFilterSettingsDialog, 1103, "100"},
    {kFilterSettingsDialog, 1104, "80"},
    {kFilterSettingsDialog, 1105, "60"},
    {kFilterSettingsDialog, 1106, "40"},
    {kFilterSettingsDialog, 1107, "20"},
    {kFilterSettingsDialog, 1108, "0"},
    {kFilterSettingsDialog, 1129, "Hz"},
    {kFilterSettingsDialog, 1130, "Hz"},
    {kFilterSettingsDialog, 1131, "Hz"},
    {kFilterSettingsDialog, 1135, "Low Cutoff"},
    {kFilterSettingsDialog, 1136, "High Cutoff"},
    {kFilterSettingsDialog, 1137, "Notch Filters "},
    {kFilterSettingsDialog, 1139, "Hz"},
    {kFilterSettingsDialog, 1143, "1"},
    {kFilterSettingsDialog, 1144, "2"},
    {kFilterSettingsDialog, 1145, "3"},
    {kFilterSettingsDialog, 1146, "4"},
    {kFilterSettingsDialog, 1147, "5"},
    {kFilterSettingsDialog, 1148, "Auto Filter"},
    {kFilterSettingsDialog, 1149, "Add"},
    {kFilterSettingsDialog, 1150, "Delete"},
    {kFilterSettingsDialog, 1183, "Low Cutoff"},
    {kFilterSettingsDialog, 1184, "High Cutoff"},
    // The File Information dialog.
    {kFileInformationDialog, 0, "File Information"},
    {kFileInformationDialog, 1, "OK"},
    {kFileInformationDialog, 2, "Cancel"},
    {kFileInformationDialog, 1169, "Title"},
    {kFileInformationDialog, 1170, "Comment"},
    {kFileInformationDialog, 1171, "User Reference"},
    {kFileInformationDialog, 1172, "Date Created"},
    {kFileInformationDialog, 1173, "Time Created"},
};

constexpr auto Key(const ResourceEntry& e) { return std::tuple(e.resourceId, e.itemId); }

static_assert(std::adjacent_find(std::begin(kResourceTexts), std::end(kResourceTexts),
                                 [](const ResourceEntry& a, const ResourceEntry& b) { return Key(a) >= Key(b); }) ==
                  std::end(kResourceTexts),
              "the resource texts must stay sorted by resource and item, each key once");

}  // namespace

const char* LoadString(int id) {
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const Entry& e, int key) { return e.id < key; });
    if (it == std::end(kStrings) || it->id != id) return "";
    return it->text;
}

const char* LoadResourceText(int resourceId, int itemId) {
    const auto key = std::tuple(resourceId, itemId);
    auto it = std::lower_bound(std::begin(kResourceTexts), std::end(kResourceTexts), key,
                               [](const ResourceEntry& e, const auto& k) { return Key(e) < k; });
    if (it == std::end(kResourceTexts) || Key(*it) != key) return "";
    return it->text;
}

std::vector<StringKey> AllStringKeys() {
    std::vector<StringKey> keys;
    for (const Entry& e : kStrings) keys.push_back({kPlainStrings, e.id});
    for (const ResourceEntry& e : kResourceTexts) keys.push_back({e.resourceId, e.itemId});
    return keys;
}

std::string LoadDocTemplateField(DocTemplateField field) {
    const std::string all = LoadString(string_id::kDocTemplate);
    std::size_t start = 0;
    for (int i = 0; i < static_cast<int>(field); ++i) {
        start = all.find('\n', start);
        if (start == std::string::npos) return {};
        ++start;
    }
    return all.substr(start, all.find('\n', start) - start);
}

}  // namespace vexlan
