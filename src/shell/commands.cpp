#include "shell/commands.h"

namespace mv::commands {

Command SAVEFILES;
Command SetTimedSAVE;
Command BACKUPFILENAME;
Command MAKESETUP;
Command PRINTSETUP;
Command GETFILECOMMENTS;
Command SetPREFERENCES;
Command SETCOLORS;
Command CUSTOMCON;
ChannelCommand ConversionOptions;
Command SetSpikeFilter;
std::function<void(const Str255& title)> GetSampleINTERVAL;
Command SampleRatePRECISION;
Command STATUS_DISPLAYS;
Command SETSLOPETREND;
Command XYPlotSetup;
Command ChartWindowSize;
Command ChangeCHARTHITE;
Command SETCHARTVIEW;
Command SETSCOPEVIEW;
Command SerialInstrumentInput;
ChannelCommand CheckUI2TempChannel;
ChannelCommand InspectSerialInput;
Command SABLETEMPCHANNELS;
Command ADAMseriesSTATUS;
Command DT800COMMUNICATIONS;
Command ResetDataTaker;
ChannelCommand FlushDT800Buffer;
Command SetADAMaddress;
Command TURNVALVESOFF;
Command AudibleTIMER;
Command SETALARMS;
Command TRIGGER;
Command EXTRAZERO;
ChannelCommand AnalogOutputScript;
Command AnalogFEEDBACK;
Command GETAOscript;
Command SAVEAOscript;
Command DISPLAYSETUP;
ChannelCommand DRAWSCREEN;
ChannelCommand MakeAcquisitionTOOLBAR;
Command SCOPESCANNING;
Command SCOPEPLUSCHARTSCAN;
Command BurstCommandString;
std::function<void(int16_t, int16_t)> SetADAM;
Command StreamingSerialChannels;
std::function<bool()> QuickSAVE;
std::function<void(const Str255&)> ScopeOrRepeatFileRoot;
Command SHOWROOTFILE;
std::function<void(double, float, int16_t)> CHECKSAMPLERATE;
Command SHOWALARMS;
Command GetSequenceLabels;
std::function<void(int16_t, float)> SetAOvolts;
Command SIMPLECALC;
Command SimpleRegression;
Command ExpressionEvaluator;
Command STPflowAdjust;
Command ALTITUDE;
Command AltitudeSimulation;
Command PO2CALC;
Command DissolvedO2CALC;
ChannelCommand METABOLISM;
Command ChamberWashout;
Command Q10adjust;
Command ClosedSystemRespirometry;
Command DayOfTheYear;
Command Sunrise;
Command UnitCONVERT;

void ResetCommandHooks() {
  SAVEFILES = [] {};
  SetTimedSAVE = [] {};
  BACKUPFILENAME = [] {};
  MAKESETUP = [] {};
  PRINTSETUP = [] {};
  GETFILECOMMENTS = [] {};
  SetPREFERENCES = [] {};
  SETCOLORS = [] {};
  CUSTOMCON = [] {};
  ConversionOptions = [](int16_t) {};
  SetSpikeFilter = [] {};
  GetSampleINTERVAL = [](const Str255&) {};
  SampleRatePRECISION = [] {};
  STATUS_DISPLAYS = [] {};
  SETSLOPETREND = [] {};
  XYPlotSetup = [] {};
  ChartWindowSize = [] {};
  ChangeCHARTHITE = [] {};
  SETCHARTVIEW = [] {};
  SETSCOPEVIEW = [] {};
  SerialInstrumentInput = [] {};
  CheckUI2TempChannel = [](int16_t) {};
  InspectSerialInput = [](int16_t) {};
  SABLETEMPCHANNELS = [] {};
  ADAMseriesSTATUS = [] {};
  DT800COMMUNICATIONS = [] {};
  ResetDataTaker = [] {};
  FlushDT800Buffer = [](int16_t) {};
  SetADAMaddress = [] {};
  TURNVALVESOFF = [] {};
  AudibleTIMER = [] {};
  SETALARMS = [] {};
  TRIGGER = [] {};
  EXTRAZERO = [] {};
  AnalogOutputScript = [](int16_t) {};
  AnalogFEEDBACK = [] {};
  GETAOscript = [] {};
  SAVEAOscript = [] {};
  DISPLAYSETUP = [] {};
  DRAWSCREEN = [](int16_t) {};
  MakeAcquisitionTOOLBAR = [](int16_t) {};
  SCOPESCANNING = [] {};
  SCOPEPLUSCHARTSCAN = [] {};
  BurstCommandString = [] {};
  SetADAM = [](int16_t, int16_t) {};
  StreamingSerialChannels = [] {};
  // Nothing is written, so nothing may be reported as saved.
  QuickSAVE = [] { return false; };
  ScopeOrRepeatFileRoot = [](const Str255&) {};
  SHOWROOTFILE = [] {};
  CHECKSAMPLERATE = [](double, float, int16_t) {};
  SHOWALARMS = [] {};
  GetSequenceLabels = [] {};
  SetAOvolts = [](int16_t, float) {};
  SIMPLECALC = [] {};
  SimpleRegression = [] {};
  ExpressionEvaluator = [] {};
  STPflowAdjust = [] {};
  ALTITUDE = [] {};
  AltitudeSimulation = [] {};
  PO2CALC = [] {};
  DissolvedO2CALC = [] {};
  METABOLISM = [](int16_t) {};
  ChamberWashout = [] {};
  Q10adjust = [] {};
  ClosedSystemRespirometry = [] {};
  DayOfTheYear = [] {};
  Sunrise = [] {};
  UnitCONVERT = [] {};
}

namespace {
struct Init {
  Init() { ResetCommandHooks(); }
} init;
}  // namespace

}  // namespace mv::commands
