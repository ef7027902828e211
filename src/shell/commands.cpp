#include "shell/commands.h"

namespace mv::commands {

Command SAVEFILES{"commands::SAVEFILES"};
Command SetTimedSAVE{"commands::SetTimedSAVE"};
Command BACKUPFILENAME{"commands::BACKUPFILENAME"};
Command MAKESETUP{"commands::MAKESETUP"};
Command PRINTSETUP{"commands::PRINTSETUP"};
Command GETFILECOMMENTS{"commands::GETFILECOMMENTS"};
Command SetPREFERENCES{"commands::SetPREFERENCES"};
Command SETCOLORS{"commands::SETCOLORS"};
Command CUSTOMCON{"commands::CUSTOMCON"};
ChannelCommand ConversionOptions{"commands::ConversionOptions"};
Command SetSpikeFilter{"commands::SetSpikeFilter"};
Hook<void(const Str255& title)> GetSampleINTERVAL{"commands::GetSampleINTERVAL"};
Command SampleRatePRECISION{"commands::SampleRatePRECISION"};
Command STATUS_DISPLAYS{"commands::STATUS_DISPLAYS"};
Command SETSLOPETREND{"commands::SETSLOPETREND"};
Command XYPlotSetup{"commands::XYPlotSetup"};
Command ChartWindowSize{"commands::ChartWindowSize"};
Command ChangeCHARTHITE{"commands::ChangeCHARTHITE"};
Command SETCHARTVIEW{"commands::SETCHARTVIEW"};
Command SETSCOPEVIEW{"commands::SETSCOPEVIEW"};
Command SerialInstrumentInput{"commands::SerialInstrumentInput"};
ChannelCommand CheckUI2TempChannel{"commands::CheckUI2TempChannel"};
ChannelCommand InspectSerialInput{"commands::InspectSerialInput"};
Command SABLETEMPCHANNELS{"commands::SABLETEMPCHANNELS"};
Command ADAMseriesSTATUS{"commands::ADAMseriesSTATUS"};
Command DT800COMMUNICATIONS{"commands::DT800COMMUNICATIONS"};
Command ResetDataTaker{"commands::ResetDataTaker"};
ChannelCommand FlushDT800Buffer{"commands::FlushDT800Buffer"};
Command SetADAMaddress{"commands::SetADAMaddress"};
Command TURNVALVESOFF{"commands::TURNVALVESOFF"};
Command AudibleTIMER{"commands::AudibleTIMER"};
Command SETALARMS{"commands::SETALARMS"};
Command TRIGGER{"commands::TRIGGER"};
Command EXTRAZERO{"commands::EXTRAZERO"};
ChannelCommand AnalogOutputScript{"commands::AnalogOutputScript"};
Command AnalogFEEDBACK{"commands::AnalogFEEDBACK"};
Command GETAOscript{"commands::GETAOscript"};
Command SAVEAOscript{"commands::SAVEAOscript"};
Command DISPLAYSETUP{"commands::DISPLAYSETUP"};
ChannelCommand DRAWSCREEN{"commands::DRAWSCREEN"};
ChannelCommand MakeAcquisitionTOOLBAR{"commands::MakeAcquisitionTOOLBAR"};
Command SCOPESCANNING{"commands::SCOPESCANNING"};
Command SCOPEPLUSCHARTSCAN{"commands::SCOPEPLUSCHARTSCAN"};
Command BurstCommandString{"commands::BurstCommandString"};
Hook<void(int16_t, int16_t)> SetADAM{"commands::SetADAM"};
Command StreamingSerialChannels{"commands::StreamingSerialChannels"};
Hook<bool()> QuickSAVE{"commands::QuickSAVE"};
Hook<void(const Str255&)> ScopeOrRepeatFileRoot{"commands::ScopeOrRepeatFileRoot"};
Command SHOWROOTFILE{"commands::SHOWROOTFILE"};
Hook<void(float, int16_t)> CHECKSAMPLERATE{"commands::CHECKSAMPLERATE"};
Command SHOWALARMS{"commands::SHOWALARMS"};
Command GetSequenceLabels{"commands::GetSequenceLabels"};
Hook<void(int16_t, float)> SetAOvolts{"commands::SetAOvolts"};
Command SIMPLECALC{"commands::SIMPLECALC"};
Command SimpleRegression{"commands::SimpleRegression"};
Command ExpressionEvaluator{"commands::ExpressionEvaluator"};
Command STPflowAdjust{"commands::STPflowAdjust"};
Command ALTITUDE{"commands::ALTITUDE"};
Command AltitudeSimulation{"commands::AltitudeSimulation"};
Command PO2CALC{"commands::PO2CALC"};
Command DissolvedO2CALC{"commands::DissolvedO2CALC"};
ChannelCommand METABOLISM{"commands::METABOLISM"};
Command ChamberWashout{"commands::ChamberWashout"};
Command Q10adjust{"commands::Q10adjust"};
Command ClosedSystemRespirometry{"commands::ClosedSystemRespirometry"};
Command DayOfTheYear{"commands::DayOfTheYear"};
Command Sunrise{"commands::Sunrise"};
Command UnitCONVERT{"commands::UnitCONVERT"};

void ResetCommandHooks() {
  ResetHooks("commands::");
}

}  // namespace mv::commands
