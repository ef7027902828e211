#include "calculators/metabolism_table.h"

#include <span>

#include "kit/popups.h"

namespace mv::calc {
namespace {

// Entries without temperatures of their own take the list's default.
constexpr Allometry kArthropods[] = {
    {".825", 0.002704f, "", "", ""},       {".75", 0.002985f, "", "", ""},
    {".816", 0.0003283f, "", "", ""},      {".856", 0.000472f, "", "", "2.97"},
    {".788", 0.002647f, "", "", ""},       {".943", 0.002716f, "", "", ""},
    {".803", 0.002176f, "", "", ""},       {".86", 0.0038333f, "23.5", "23.5", ""},
    {".76", 0.0067167f, "23", "23", ""},
};
constexpr Allometry kFish[] = {
    {".879", 0.00152f, "", "", ""},    {".7006", 0.006651f, "", "", ""}, {".784", 0.007709f, "", "", ""},
    {".70095", 0.006648f, "", "", ""}, {".8278", 0.002824f, "", "", ""}, {".7225", 0.004791f, "", "", ""},
    {"1.02", 0.0008136f, "", "", ""},
};
constexpr Allometry kAmphibians[] = {
    {".74", 0.00194f, "", "", ""},
    {".802", 0.001583f, "", "", ""},
    {".75", 0.0047667f, "", "", ""},
    {".884", 0.00135f, "20", "20", "2.21"},
};
constexpr Allometry kReptiles[] = {
    {".77", 0.004633f, "", "", ""},     {".83", 0.004f, "", "", ""},  {".82", 0.0070667f, "37", "37", ""},
    {".76", 0.004667f, "", "", ""},     {".86", 0.011f, "", "", ""},  {".768", 0.00183f, "20", "20", "2.44"},
};
constexpr Allometry kBirds[] = {
    {".669", 0.103265f, "", "", ""},  {".627", 0.1337f, "", "", ""},     {".701", 0.0746f, "", "", ""},
    {".67", 0.081357f, "", "", ""},   {".724", 0.1245f, "", "", ""},     {".723", 0.07669f, "", "", ""},
    {".704", 0.1575f, "", "", ""},    {".726", 0.11024f, "", "", ""},    {".635", 0.14587f, "", "", ""},
    {".71", 0.07633f, "38.2", "40.1", ""},                              {".845", 0.060667f, "", "", ""},
};
constexpr Allometry kMammals[] = {
    {".734", 0.06361f, "", "", ""},           {".756", 0.05373f, "", "", ""},
    {".76", 0.0597f, "", "", ""},             {".672", 0.07233f, "36.2", "36.2", ""},
    {".737", 0.04325f, "35", "35", ""},       {".71", 0.0487f, "35", "35", ""},
    {".73", 0.0548f, "36.2", "35", ""},       {".68", 0.0653f, "36.2", "35", ""},
    {".75", 0.02962f, "36.2", "32", ""},      {".82", 0.02033f, "36.2", "32", ""},
    {".794", 0.03883f, "", "", ""},           {".70", 0.0683f, "36.2", "37.5", ""},
    {".713", 0.0715f, "", "", ""},            {".67", 0.07217f, "36.2", "37.5", ""},
    {".79", 0.03133f, "36.2", "37.5", ""},    {".73", 0.04733f, "36.2", "37.5", ""},
    {".702", 0.1112f, "", "", ""},            {".57", 0.1147f, "36.2", "36.2", ""},
    {".67", 0.0457f, "36.2", "36.2", ""},
};

std::span<const Allometry> EntriesOf(int16_t list) {
  switch (list) {
    case kArthropodList: return kArthropods;
    case kFishList: return kFish;
    case kAmphibianList: return kAmphibians;
    case kReptileList: return kReptiles;
    case kBirdList: return kBirds;
    case kMammalList: return kMammals;
    default: return {};
  }
}

}  // namespace

std::optional<Allometry> GroupEquation(int16_t list, int16_t item) {
  const std::span<const Allometry> entries = EntriesOf(list);
  if (item < 1 || static_cast<std::size_t>(item) > entries.size()) return std::nullopt;
  return entries[static_cast<std::size_t>(item - 1)];
}

int16_t ReturnItemOf(int16_t list) {
  const std::size_t n = EntriesOf(list).size();
  return n == 0 ? 0 : static_cast<int16_t>(n + 2);  // after the separator
}

std::string_view DefaultTemperatureOf(int16_t list) {
  switch (list) {
    case kArthropodList: return "25";
    case kFishList: return "20";
    case kAmphibianList: return "25";
    case kReptileList: return "30";
    case kBirdList: return "39";
    case kMammalList: return "37.5";
    default: return "";
  }
}

void BuildTaxonList(int16_t list, int16_t menu) {
  switch (list) {
    case kArthropodList: ArthropodsPopupMenu(menu); break;
    case kFishList: FishPopupMenu(menu); break;
    case kAmphibianList: AmphibianPopupMenu(menu); break;
    case kReptileList: ReptilePopupMenu(menu); break;
    case kBirdList: BirdPopupMenu(menu); break;
    case kMammalList: MammalPopupMenu(menu); break;
    default: MainTaxonSelectPopup(menu); break;
  }
}

std::optional<Allometry> MainEquation(int16_t item) {
  switch (item) {
    case 1: return Allometry{".751", 0.002647f, "20", "20", ""};
    case 3: return Allometry{".75", 0.014587f, "20", "20", ""};
    case 4: return Allometry{".75", 0.14587f, "39", "39", ""};
    default: return std::nullopt;
  }
}

bool IsPerMassUnit(int16_t unit) {
  switch (unit) {
    case 2: case 6: case 8: case 9: case 10: case 11: case 16: case 20: case 21: case 25: case 26:
      return true;
    default:
      return false;
  }
}

float UnitFactor(int16_t unit, float m) {
  const double md = m;
  switch (unit) {
    case 2: return 1.0f / m;
    case 3: return 60.0f;
    case 4: return 0.06f;
    case 5: return 1000.0f;
    case 6: return 1000.0f / m;
    case 7: return 60000.0f;
    case 8: return 60.0f / m;
    case 9: return 60000.0f / m;
    case 10: return 60000.0f / m;
    case 11: return 60.0f / m;
    case 13: return 335000.0f;
    case 14: return 335.0f;
    case 15: return 0.335f;
    case 16: return 335.0f / m;
    case 17: return 28934.35f;
    case 18: return 28.93435f;
    case 19: return 0.02893435f;
    case 20: return static_cast<float>(28934.35 / md);
    case 21: return static_cast<float>(28.93435 / md);
    case 23: return 6912.2f;
    case 24: return 6.912f;
    case 25: return static_cast<float>(6912.2 / md);
    case 26: return static_cast<float>(6912.2 / md);
    default: return 1.0f;
  }
}

int16_t ActivityMultiple(int16_t item) {
  static constexpr int16_t kMultiples[] = {1, 3, 5, 10, 25};
  if (item >= 1 && item <= 5) return kMultiples[item - 1];
  return 100;
}

int16_t SalinityOfWaterItem(int16_t item) {
  if (item == 2) return 15;
  if (item == 3) return 35;
  return 1;
}

int16_t WaterItemOfSalinity(int16_t ppt) {
  if (ppt == 35) return 3;
  if (ppt == 15) return 2;
  return 1;
}

}  // namespace mv::calc
