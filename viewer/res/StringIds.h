#pragma once
// Every id of the string table, by name. A text that takes printf arguments has a FormatId that
// names the types of its arguments in order, so that FormatString() checks each caller at compile
// time and the string-table test checks the text's conversions against the same types.

#include <cstdint>

namespace vexlan {

// The id of a text whose conversions take arguments of these types, in this order.
template <typename... Args>
struct FormatId {
    int id;
};

namespace string_id {

using Path = const char*;  // a file or folder name
using Text = const char*;
using Count = unsigned long long;

// The document template: newline-separated fields (see DocTemplateField).
constexpr int kDocTemplate = 128;

// The frame.
constexpr int kApplicationTitle = 57344;
constexpr int kIdleMessage = 57345;
constexpr int kCapsLockIndicator = 59137, kNumLockIndicator = 59138, kScrollLockIndicator = 59139;
constexpr int kToolBarTitle = 62152;
constexpr int kMsgComPortNotStored = 62033;
constexpr int kMsgRestartInstrument = 62036;
constexpr int kMsgSettingsNotSaved = 62037;
constexpr int kMsgProgramFolderUnknown = 62071;
constexpr int kMsgScreenTooSmall = 62072;
constexpr int kPortDevicesMenuItem = 62183;

// Number entry.
constexpr int kMsgEnterNumber = 61715;
constexpr FormatId<double> kMsgEnterNumberInRange{61716};

// The instrument session's failures. An open failure's status -1 to -6 maps to
// kMsgPortOutOfRange + (-1 - status).
constexpr int kMsgCannotCommunicate = 62000;
constexpr int kMsgCannotTransmit = 62001;
constexpr int kMsgPortClosed = 62002;
constexpr int kMsgRemoteFileNotOpened = 62003;
constexpr int kMsgLocalFileNotWritten = 62004;
constexpr int kMsgPortOutOfRange = 62005;
constexpr int kMsgPortNotOpened = 62006;
constexpr int kMsgPortSetupNotRead = 62007;
constexpr int kMsgPortNotSetUp = 62008;
constexpr int kMsgModemFailed = 62009;
constexpr int kMsgPortNoTimer = 62010;
constexpr int kNoSpecificError = 62011;  // no text: a failure without a specific message

// Local files.
constexpr int kMsgFileNotOpened = 62016;
constexpr int kMsgFileNotRead = 62017;
constexpr int kMsgFileNotClosed = 62018;
constexpr int kMsgFileNotWritten = 62019;
constexpr int kMsgIncompatibleFile = 62020;
constexpr int kMsgSaveCurrentFile = 62035;
constexpr int kMsgAutoFilterNotUsed = 62070;
constexpr int kMsgAutoFilterChangeIsOurs = 62290;
constexpr FormatId<Count, Count> kMsgIncompleteFile{62291};
constexpr int kMsgOutputNotRegular = 62192;
constexpr int kMsgOutputReadOnly = 62193;      // the question: replace it?
constexpr int kMsgOutputReadOnlyKept = 62195;  // where nobody can be asked
constexpr int kMsgCannotWriteOutput = 62160;

// Downloading.
constexpr int kWillCommunicate = 62032;
constexpr int kOpenNow = 62034;
constexpr int kChooseDestination = 62038;
constexpr int kSelectAFile = 62052;
constexpr FormatId<Path> kReplaceFile{62176};
constexpr FormatId<Path, int, int> kDownloadingOneOf{62177};
constexpr FormatId<Path> kDownloading{62178};
constexpr FormatId<Count> kBytesReceived{62179};
constexpr int kWaking = 62200;
constexpr int kListing = 62201;
constexpr FormatId<int, int> kRetrying{62202};  // the attempt and the attempts in all
constexpr int kPortDevicesTitle = 62180;
constexpr int kPortDevicesHeading = 62181;
constexpr FormatId<Text> kPortDevicesDefault{62182};

// Filter settings.
constexpr int kMsgHighBelowLow = 62048;
constexpr int kMsgLowAboveHigh = 62049;
constexpr int kMsgSetPreviousNotch = 62050;
constexpr int kMsgFiveNotches = 62051;
constexpr int kMsgSelectNotch = 62053;
constexpr int kCursorHint = 62154;
constexpr int kMsgNotchOverlap = 62165;
constexpr int kMsgFrequencyEntry = 62166;
constexpr int kMsgNoSuggestedBand = 63030;

// Material lists. Display names occupy kMaterialNameBase + material index for indices 0..19.
constexpr int kMsgNamesNotLoaded = 62064;
constexpr int kMsgListNotLoaded = 62065;
constexpr int kMsgListNotCreated = 62066;
constexpr int kMsgListNotRead = 62067;
constexpr int kMsgHighDefaultError = 62068;
constexpr int kMsgLowDefaultError = 62069;
constexpr int kMaterialNameBase = 62080;
constexpr int kMaterialCount = 20;

// Labels and values of the form and the report.
constexpr int kFileLabel = 62112;
constexpr int kTimeDelayLabel = 62113;
constexpr int kDistance1Label = 62114;
constexpr int kDistance2Label = 62115;
constexpr int kSegmentLabel = 62116;  // then material, length, diameter, velocity
constexpr int kMaterialLabel = 62117;
constexpr int kLengthLabel = 62118;
constexpr int kDiameterLabel = 62119;
constexpr int kVelocityLabel = 62120;
constexpr int kLowCutoffLabel = 62121;  // then high cutoff, auto filter, notch filter
constexpr int kHighCutoffLabel = 62122;
constexpr int kAutoFilterLabel = 62123;
constexpr int kNotchFilterLabel = 62124;
constexpr int kPipeDetailsHeading = 62125;
constexpr int kFilterSettingsHeading = 62126;
constexpr int kNotchSettingsHeading = 62127;
constexpr int kSetStartPoint = 62128;
constexpr int kSetEndPoint = 62129;
constexpr int kOff = 62130;
constexpr int kOn = 62131;
constexpr int kNotSet = 62132;
constexpr int kOpen = 62133;
constexpr int kTitleLabel = 62134;
constexpr int kDateCreatedLabel = 62135;
constexpr int kFileNameLabel = 62136;
constexpr int kNotchLabelBase = 62137;  // + notch index 0..4
constexpr int kOutOfBracket = 62142;
constexpr FormatId<double, double, Text> kPeakIntervalText{62280};

// Unit texts beside the values of the form and the report.
constexpr int kMetre = 62144, kFoot = 62145, kMillimetre = 62146, kInch = 62147;
constexpr int kMetrePer = 62148, kFootPer = 62149, kSecond = 62150, kMillisecond = 62151;
constexpr int kHertz = 62153;

// Printing, exporting and the clipboard.
constexpr int kMsgNoPrinter = 62161;
constexpr int kMsgPrinterFailed = 62162;
constexpr int kMsgClipboard = 62163;
constexpr int kMsgNoFileLoaded = 62164;

// File information.
constexpr FormatId<unsigned> kMsgTooManyCharacters{62167};
constexpr int kMsgTooManyBytes = 62168;

// The command-line tool.
constexpr FormatId<Text> kMsgUnknownSubcommand{62196};
constexpr int kMsgSameOutputName = 62194;
constexpr FormatId<Path> kMsgNoKedFiles{62197};

// Pipe velocity.
constexpr int kMsgBadDimensions = 62240;
constexpr int kMsgWallTooThick = 62241;
constexpr int kMsgBadSdr = 62242;
constexpr int kMsgBadModulus = 62243;
constexpr int kMsgOutsidePipe = 62244;
constexpr int kMsgDelayNearZero = 62245;
constexpr int kMsgWrongSign = 62246;
constexpr int kMsgNoDelayAtSource = 62247;
constexpr int kMsgNoPipe = 62248;
constexpr int kMsgTooFewRecordings = 62249;
constexpr int kMsgNoPositiveFit = 62250;
constexpr FormatId<Text> kMsgUnknownMaterial{62251};
constexpr int kMsgNoDelay = 62252;
constexpr int kVelocityCalculatorButton = 62260, kVelocityCalculatorToolTip = 62261;
constexpr int kVelocityCalculatorTitle = 62262;
constexpr int kWallMaterialLabel = 62263;
constexpr int kOutsideDiameterLabel = 62264;
constexpr int kWallThicknessLabel = 62265;
constexpr int kSdrLabel = 62266;
constexpr int kCalculatedVelocityLabel = 62267;
constexpr FormatId<double, Text> kModulusText{62268};
constexpr int kOk = 62269, kCancel = 62270;
constexpr FormatId<Text> kMsgNoMaterialList{62271};
constexpr int kMeasureVelocityTitle = 62272;
constexpr int kSourcePlaceLabel = 62273;
constexpr int kAtDistanceLabel = 62274;
constexpr int kBeyondSensor1Label = 62275;
constexpr int kBeyondSensor2Label = 62276;
constexpr int kDelayAtCursorLabel = 62277;
constexpr int kNewVelocityLabel = 62278;
constexpr FormatId<double, int> kVelocityFactorText{62279};

// Recomputation.
constexpr int kBadSampleCount = 63000;  // then sample rate, pipe value, filter value
constexpr int kBadSampleRate = 63001;
constexpr int kBadPipeValue = 63002;
constexpr int kBadFilterValue = 63003;
constexpr FormatId<Text> kMsgCannotRecompute{63005};

// Leak analysis.
constexpr int kMethodTextBase = 63016;  // + CorrelationMethod: Basic, SCOT, PHAT, Automatic
constexpr int kFlagTextBase = 63020;    // + bit index of the AnalysisFlag
constexpr int kMsgNotAnalysable = 63024;
constexpr FormatId<Text, int> kQualityStatusText{63025};
constexpr FormatId<Text, int> kReportMethodLine{63026};
constexpr int kPeaksWindowTitle = 63027;
// rank, delay, unit, distance 1, distance 2, unit, height, quality
constexpr FormatId<int, double, Text, double, double, Text, int, int> kPeakRowText{63028};
constexpr int kSuggestButtonText = 63029;

}  // namespace string_id
}  // namespace vexlan
