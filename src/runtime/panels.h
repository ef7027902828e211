// Open and save panels and the colour picker. The script driver answers them.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/types.h"

namespace mv::rt {

std::optional<std::string> OpenFilePanel(const std::string& prompt, const std::vector<std::string>& extensions = {});
std::optional<std::string> SaveFilePanel(const std::string& prompt, const std::string& proposedName);
bool PickColor(const std::string& prompt, RGBColor& color);

// The script driver's answers: the next panel or colour dialog takes the front
// answer instead of showing itself. A panel answer of nullopt means cancel.
void QueuePanelAnswer(std::optional<std::string> path);
void QueueColorAnswer(std::optional<RGBColor> color);
bool HasQueuedPanelAnswer();
// While a script runs, panels with no queued answer wait (pumping events) for one.
void SetScriptedPanels(bool scripted);
// While a script runs, a panel, colour picker or print dialog that finds no queued
// answer calls this once as it starts waiting, with what it is and its prompt.
void SetScriptedWaitNotice(std::function<void(const std::string&)> notice);

}  // namespace mv::rt
