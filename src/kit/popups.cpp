#include "kit/popups.h"

#include <initializer_list>
#include <string>

#include "runtime/menus.h"

namespace mv {

namespace {

struct ItemList {
  int16_t from;
  const char* items;
};

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Creates the menu afresh (a rebuilt list replaces the old one) and places the lists.
void Build(int16_t menu, std::initializer_list<ItemList> lists) {
  rt::NewMenu(menu, "");
  for (const ItemList& l : lists) PlacePopupItems(menu, l.from, l.items);
}

// Items 6 to 10 of the three sound lists of the audible event timer.
constexpr const char* kTimerSoundItems = "Plain beep  ;Click  ;Tick ;Clunk ;Switch ;-";

}  // namespace

void PlacePopupItems(int16_t menu, int16_t from, std::string_view list) {
  int16_t n = from;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = list.find(';', start);
    std::string_view text =
        list.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    rt::SetMenuItemUtf8(menu, n++, Trimmed(text) == "-" ? std::string("-") : std::string(text));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
}

void Popup50(int16_t menu) {
  Build(menu, {{1, "'start'  ;'begin'   ;'go' ;'now'  ;-"}, {6, kTimerSoundItems}, {12, "'On with it!'"}});
}

void Popup51(int16_t menu) {
  Build(menu, {{1, "'now'  ;'next'   ;'go' ;'step'  ;-"}, {6, kTimerSoundItems}, {12, "'ni!'"}});
}

void Popup52(int16_t menu) {
  Build(menu,
        {{1, "'stop'  ;'end'   ;'halt' ;'quit'  ;-"}, {6, kTimerSoundItems}, {12, "'bring out your dead'"}});
}

void Popup61(int16_t menu) {
  Build(menu, {{1,
                "Minimal Metabolism [MMR]  ;Normal Activity [3X MMR] ;5X MMR ;10X MMR ;25X MMR; ;"
                "100X MMR [insect flight]"}});
}

void Popup63(int16_t menu) {
  Build(menu,
        {{1, "joules – > calories ;calories – > joules ;watts – > KJ  ⁄  day ;watts – > Kcal  ⁄  day"},
         {5, "watts – > cal  ⁄  min ;BTU  ⁄  hr – > Kilowatts ;BTU – > KJoules ;horsepower – > Kilowatts"},
         {9, "Kilowatts – > horsepower ;°F – > °C ;°C – > °F ;°C – > °K ;mg H₂O – > calories [@ 37 °C]"}});
}

void Popup64(int16_t menu) {
  Build(
      menu,
      {{1, "m  ⁄ sec – > km  ⁄  h ;km  ⁄  h – > m  ⁄  sec ;m.p.h. – > m  ⁄  sec ;rate  ⁄ sec – > rate  ⁄ h"},
       {5,
        "rate  ⁄  h – > rate  ⁄  sec ;rate  ⁄  min – > rate  ⁄  sec ;knots – > km  ⁄ h ;km  ⁄ h – > knots"},
       {9, "m.p.h. – > knots ;knots – > m.p.h ;m.p.h. – > km  ⁄ h ;inches – > cm ;cm – > feet"},
       {14, "feet – > cm ;feet – > meters ;meters – > feet ;miles – > km ;km – > miles ;acres – > hectares"},
       {20,
        "square miles – > acres ;square miles – > hectares ;square miles – > square km ;square yards – > "
        "square meters"},
       {24, "square feet – > square meters ;square inches – > square cm"}});
}

void popup65(int16_t menu) {
  Build(
      menu,
      {{1, "pounds – > kg ;kg – > pounds ;ounces – > grams ;grams – > ounces"},
       {5, "US ton – > kilograms ;UK tonne – > kilograms ;carat [gem] – > gram ;cubic feet – > cubic meters"},
       {9, "cubic meters – > cubic feet ;cubic feet – > liters ;US gallons – >  liters ;US pint – > liters"},
       {13, "US quart – > liter ;cup – > liter ;barrels [oil] – > liters ;mmoles – > ml gas @ STP"},
       {17, "ml gas @ STP – > mmoles ;footcandle – > lux ;DUMMY ;altitude – > max. noon sunlight"}});
  rt::SetMenuItemUtf8(menu, 19, "sun elevation – >  sunlight watts  ⁄ m²");
}

void Popup66(int16_t menu) {
  Build(menu, {{1, "Torr – > Kilopascals ;PSI – > Torr ;Torr – > PSI ;mm H₂O – > Torr"},
               {5, "Kilopascals – > Torr ;Kilopascals – > Atmospheres ;Atmospheres – > Kilopascals"},
               {8, "Atmospheres – > Torr ;Atmospheres – > PSI ;Bars – > Torr ;Torr – > Bars"},
               {12, "Bars – > Atmospheres ;Atmospheres – > Bars ;P.S.I. – > Bars ;Bars – > PSI"},
               {16, "°C – > torr H₂O vapor ;DUMMY ;DUMMY ;KPA H₂O – > % vol H₂O  [760 torr]"},
               {20, "DUMMY ;Torr H₂O – > % vol H₂O [760  torr]"}});
  rt::SetMenuItemUtf8(menu, 17, "°C – > g H₂O vapor  ⁄ m³");
  rt::SetMenuItemUtf8(menu, 18, "KPa H₂O – >  g H₂O vapor  ⁄ m³");
  rt::SetMenuItemUtf8(menu, 20, "Torr H₂O – > g H₂O vapor  ⁄ meter³");
}

void Popup100(int16_t menu) {
  Build(menu, {{1, "33%  ;50% ;67% ;75% ;90% ;95% ;99%"}});
}

void Popup128(int16_t menu) {
  Build(menu, {{1, "300;1200;2400;4800"}, {5, "9600;19,200;38,400;57,600;115,200;230,400"}});
}

void Popup129(int16_t menu) {
  Build(menu, {{1, "First Sample ;First Marker ;Marker 's'"}});
}

void Popup130(int16_t menu) {
  Build(menu, {{1, "Last step ;Marker 'x' ;Marker 'q'"}});
}

void Popup131(int16_t menu) {
  Build(menu, {{1, "0.25 second;0.5 second;1 second;2 seconds"}, {5, "10 seconds;30 seconds"}});
}

void Popup132(int16_t menu) {
  Build(menu, {{1, "Last step ;Marker 'x' ;Marker 'q'"}});
}

void Popup133(int16_t menu) {
  Build(menu, {{1, "640 X 480 ;800 X 600 ;832 X 624 ;1024 X 768"}, {5, "Current Values;Fill Screen"}});
}

void Popup134(int16_t menu) {
  Build(menu, {{1, "Always Off ;Always On  ;-;10  ⁄sec ;30  ⁄sec ;50  ⁄sec"},
               {7, "100  ⁄sec ;150  ⁄sec ;200  ⁄sec ;500   ⁄sec ;1000   ⁄sec"}});
}

void Popup140(int16_t menu) {
  Build(menu, {{1, "No CO₂, Flowmeter Upstream ;No CO₂, Flowmeter Downstream ;-"},
               {4, "CO₂ Present, Flowmeter Upstream ;CO₂ Present, Flowmeter Downstream"}});
}

void Popup141(int16_t menu) {
  Build(menu, {{1, "Use RQ, Flowmeter Upstream ;Use RQ, Flowmeter Downstream"}});
}

void Popup142(int16_t menu) {
  Build(menu, {{1, "µg   ⁄ min ;mg   ⁄ min ;mg   ⁄ hour ;g   ⁄ hour"}});
}

void Popup143(int16_t menu) {
  Build(menu, {{1, "µl  ⁄ min ;ml  ⁄ min ;ml  ⁄ hour ;L  ⁄ hour"}});
}

void Popup145(int16_t menu) {
  Build(menu, {{1, "Constant Flow: ;-;Flow Channel:"}});
}

void Popup148(int16_t menu) {
  Build(menu, {{1, "One;∑ Two;∑  five;∑  ten"}, {5, "∑ 20 ;∑  50 ;∑  100"}});
}

void Popup180(int16_t menu) {
  Build(
      menu,
      {{1,
        "Off  [no switching] ;-;Keyboard Switching ;Reference at Start and End ;Keyboard, Timed Refernce"}});
}

void Popup181(int16_t menu) {
  Build(menu, {{1, "OFF  (no switching) ;-;Keyboard Switching ;Reference at Start and End"},
               {5, "Periodic References ;Keyboard, Timed Reference ;-;Start & End, Sequential Files"},
               {9, "-;Sequential Devices"}});
}

void Popup182(int16_t menu) {
  Build(menu, {{1,
                "Sable Universal Interface 'UI2' ;Sable Universal Interface 'UI3' ;DataTaker DT500, DT600 "
                ";DataTaker DT50"},
               {5, "DataTaker DT800 ;DataTaker DT80 [untested] ;DataTaker DT85 [untested]"},
               {8, "Advantech ADAM [4019, 4050, 4017] ;RMS ADC-1 ;-;Streaming Serial Input"}});
}

void Popup250(int16_t menu) {
  Build(menu, {{1, "Set Sample Rate ;1 ⁄ 500 second ;1 ⁄ 250 second ;1 ⁄125 second"},
               {5, "1 ⁄ 60 second ;1 ⁄ 30 second ;1 ⁄ 15 second ;1 ⁄ 10 second ;1 ⁄ 4 second "},
               {10, "1 ⁄ 2 second ;1 second ;2 seconds ;5 seconds ;10 seconds"}});
}

void MonthsPopupMenu(int16_t menu) {
  Build(menu, {{1, "January;February;March;April"},
               {5, "May;June;July;August;September;October;November;December"}});
}

void BuildUnitsPopMenu(int16_t menu) {
  Build(menu, {{1, " ml O₂   ⁄ min; ml O₂  ⁄ [g min] ; ml O₂  ⁄ hour ; L O₂  ⁄ hour"},
               {5,
                "µl O₂  ⁄ min ;µl O₂  ⁄ [g min] ;µl O₂  ⁄ hour ; ml O₂  ⁄  [g hour] ; ml O₂  ⁄ [Kg hour] ; "
                "µl O₂  ⁄ [g hour] ; L O₂  ⁄ [Kg hour]"},
               {12,
                "  –  heat units [joules]  –  ; µwatts ; milliwatts ; watts ; watts   ⁄ Kg ; joules  ⁄ day; "
                "KJ  ⁄ day ; MJ  ⁄ day"},
               {20,
                " KJ  ⁄ [kg day]  ; MJ  ⁄ [kg day]  ;  –   heat units [calories]  –   ; cal  ⁄ day ; Kcal  ⁄ "
                "day ; cal  ⁄ [g day]  ; Kcal  ⁄ [kg day] "}});
  // The two headings are not units.
  rt::EnableMenuItem(menu, 12, false);
  rt::EnableMenuItem(menu, 22, false);
}

void WaterConditionsPopup(int16_t menu) {
  Build(menu, {{1, "Freshwater [~ 1 ppt] ;Brackish water [~15 ppt] ;Ocean water [~35 ppt]"}});
}

// The taxon lists. The equation that each item stands for belongs to the
// metabolism calculator, which selects it by item number.
void MainTaxonSelectPopup(int16_t menu) {
  Build(menu,
        {{1, "Unicellular, 20 °C;-; Poikilotherms, 20 °C; Homeotherms, 39 °C;-"},
         {6, " Land Arthropods [sub-menu] ; Fish [sub-menu] ; Amphibians [sub-menu] ; Reptiles [sub-menu]"},
         {10, " Birds [sub-menu] ; Mammals [sub-menu] ;- ; Custom coefficient and exponent"}});
}

void ArthropodsPopupMenu(int16_t menu) {
  Build(
      menu,
      {{1, "Land Arthropods, 25 °C;Insects, 25 °C;    Ticks, 25 °C;    Scorpions, 25 °C;    Spiders, 25 °C"},
       {6, "    Tenebrionids, 25 °C;    Ants, 25 °C; Beetles, 23.5 °C; Moths, 23 °C"},
       {10, "- ; Main Taxon Menu..."}});
}

void FishPopupMenu(int16_t menu) {
  Build(menu, {{1, "SMR, all orders"},
               {2, "Routine  resting MR, all fish orders ;Active MR, all fish;   Routine MR, Teleosts"},
               {5, "   SMR, Teleosts;   SMR, Elasmobranchs ;   SMR, Agnathans"},
               {8, "- ; Main Taxon Menu..."}});
}

void AmphibianPopupMenu(int16_t menu) {
  Build(menu, {{1, "Lungless Salamanders 25 °C;Lunged Salamanders 25 °C; Frogs [Ranidae];Amphibians"},
               {5, "- ;  Main Taxon Menu..."}});
}

void ReptilePopupMenu(int16_t menu) {
  Build(menu, {{1, "Reptiles 30 °C;Lizards 30 °C;Lizards 37 °C;Snakes 30 °C;Turtles 30 °C;Reptiles 20 °C"},
               {7, "- ; Main Taxon Menu..."}});
}

void BirdPopupMenu(int16_t menu) {
  Build(menu,
        {{1, "All Birds;Passerine Birds;Nonpasserine Birds;Bird Families;Passerine Birds;Nonpasserine Birds"},
         {7, "Passerine Birds [alpha];Passerine Birds [rho];All Birds;All Birds;Nestling RMR"},
         {12, "- ; Main Taxon Menu..."}});
}

void MammalPopupMenu(int16_t menu) {
  Build(menu, {{1, "Eutherian Mammals;Eutherian Mammals;Eutherian Mammals;Eutherian Mammals;Marsupials"},
               {6, "     Dasyurids;    Didelphids;    Diprotodontia;Monotremes;Monotremes;Eutherian Orders"},
               {12, "    Bats;    Rodents;    Rodents;    Primates;    Carnivores;    Artiodactyla"},
               {18, "    Insectivora;    Xenartha"},
               {20, "- ; Main Taxon Menu..."}});
}

}  // namespace mv
