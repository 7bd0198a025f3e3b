// ombrel-wallpaper: writes the files that make the page's folder a wallpaper
// for one of two hosts, with the five settings of options/setting_table.h and
// the page's render scale (web/page_options.h) as the host's properties:
//
//   ombrel-wallpaper wallpaper-engine DIR   DIR/project.json
//   ombrel-wallpaper lively DIR             DIR/LivelyInfo.json, DIR/LivelyProperties.json
//
// Both name the picture preview.jpg (which the build puts beside them) and
// index.html as the page. The page reads the properties in its own terms
// (web/index.html, the wallpaper hosts' listeners): a choice by its value
// (Wallpaper Engine) or by its index (Lively), a flag as a boolean, a count
// as its whole number, the scale as a number. Lively starts the page with
// --pause-event true, so that it says when it pauses the wallpaper. Exit
// code 0, or 2 with one line on stderr.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "options/setting_table.h"
#include "options/whole_number.h"
#include "web/page_options.h"

namespace {

constexpr const char* kTitle = "Ombrel";
constexpr const char* kDescription =
    "Glowing particles bounce inside a turning sphere or cube whose cells wear away or build up as they are "
    "struck, and let the particles out once broken.";

// A count's slider runs between the values at the dialog slider's two ends.
double SliderMin(const SettingDescription& setting) {
  const SliderMapping& slider = *setting.Slider;
  return std::min(slider.ValueAt(0), slider.ValueAt(kLastSliderPosition));
}
double SliderMax(const SettingDescription& setting) {
  const SliderMapping& slider = *setting.Slider;
  return std::max(slider.ValueAt(0), slider.ValueAt(kLastSliderPosition));
}

// The host's caption for a setting: the panel's label without its colon; a
// flag's checkbox names what it switches on ("Particles cause: Decay"); a
// slider's gives its ends' values and labels ("(1 High ... 21 Low)"), as
// the host's slider runs from the smaller value.
std::string Caption(const SettingDescription& setting) {
  std::string label = setting.Label;
  if (!label.empty() && label.back() == ':') label.pop_back();
  if (setting.Kind == SettingKind::kFlag) {
    for (const SettingChoice& choice : setting.Choices)
      if (choice.Stored == 1) return label + ": " + choice.Label;
  }
  if (!setting.Slider) return label;
  const SliderMapping& slider = *setting.Slider;
  const bool rising = slider.Step > 0;
  return label + " (" + NumberText(SliderMin(setting)) + " " + (rising ? slider.FirstEnd : slider.LastEnd) + " ... " +
         NumberText(SliderMax(setting)) + " " + (rising ? slider.LastEnd : slider.FirstEnd) + ")";
}

// The render scale's slider: from kLeastScale to kMostScale in twentieths.
constexpr const char* kScaleCaption = "Render scale (0.25 less power ... 1 every pixel)";
std::string ScaleRange() {
  char text[64];
  std::snprintf(text, sizeof text, "\"min\":%g,\"max\":%g,\"step\":0.05", kLeastScale, kMostScale);
  return text;
}
std::string ScaleDefault() {
  char text[32];
  std::snprintf(text, sizeof text, "%g", PageOptions().Scale);
  return text;
}

double DefaultCount(const SettingDescription& setting) { return kDefaultSettings.*setting.CountField; }
bool DefaultFlag(const SettingDescription& setting) { return kDefaultSettings.*setting.ByteField != 0; }

// project.json: a web wallpaper whose user properties are the settings, in
// the table's order.
std::string WallpaperEngineProject() {
  std::string properties;
  int order = 0;
  for (const SettingDescription& setting : SettingTable()) {
    std::string property = "{\"order\":" + std::to_string(order++) + ",\"text\":" + JsonQuoted(Caption(setting));
    switch (setting.Kind) {
      case SettingKind::kChoice: {
        property += ",\"type\":\"combo\",\"value\":" + JsonQuoted(WriteSetting(setting, kDefaultSettings)) +
                    ",\"options\":[";
        for (const SettingChoice& choice : setting.Choices)
          property += std::string(&choice == &setting.Choices.front() ? "" : ",") +
                      "{\"label\":" + JsonQuoted(choice.Label) + ",\"value\":" + JsonQuoted(choice.Value) + "}";
        property += "]";
        break;
      }
      case SettingKind::kFlag:
        property += ",\"type\":\"bool\",\"value\":" + std::string(DefaultFlag(setting) ? "true" : "false");
        break;
      case SettingKind::kCount:
        property += ",\"type\":\"slider\",\"min\":" + NumberText(SliderMin(setting)) + ",\"max\":" +
                    NumberText(SliderMax(setting)) + ",\"step\":1,\"fraction\":false,\"editable\":true,\"value\":" +
                    NumberText(DefaultCount(setting));
        break;
    }
    properties += std::string(properties.empty() ? "" : ",\n") + "      " + JsonQuoted(setting.Name) + ": " +
                  property + "}";
  }
  properties += ",\n      \"scale\": {\"order\":" + std::to_string(order) + ",\"text\":" + JsonQuoted(kScaleCaption) +
                ",\"type\":\"slider\"," + ScaleRange() + ",\"fraction\":true,\"precision\":2,\"value\":" +
                ScaleDefault() + "}";
  return std::string("{\n  \"type\": \"web\",\n  \"file\": \"index.html\",\n  \"title\": ") + JsonQuoted(kTitle) +
         ",\n  \"description\": " + JsonQuoted(kDescription) +
         ",\n  \"preview\": \"preview.jpg\",\n  \"tags\": [\"Abstract\"],\n  \"contentrating\": \"Everyone\",\n"
         "  \"general\": {\n    \"properties\": {\n" +
         properties + "\n    }\n  }\n}\n";
}

// LivelyInfo.json: a web wallpaper (type 1) whose page is index.html, told
// when Lively pauses it.
std::string LivelyInfo(const std::string& version) {
  return std::string("{\n  \"AppVersion\": \"1.0.0.0\",\n  \"Title\": ") + JsonQuoted(kTitle) +
         ",\n  \"Thumbnail\": \"preview.jpg\",\n  \"Preview\": \"preview.jpg\",\n  \"Desc\": " +
         JsonQuoted(std::string(kDescription) + " Version " + version + ".") +
         ",\n  \"Author\": \"Ombrel\",\n  \"License\": \"MIT\",\n  \"Contact\": \"\",\n  \"Type\": 1,\n"
         "  \"FileName\": \"index.html\",\n  \"Arguments\": \"--pause-event true\",\n  \"IsAbsolutePath\": false\n}\n";
}

// LivelyProperties.json: a dropdown, checkbox or slider for each setting.
std::string LivelyProperties() {
  std::string controls;
  for (const SettingDescription& setting : SettingTable()) {
    std::string control = "{\"text\":" + JsonQuoted(Caption(setting));
    switch (setting.Kind) {
      case SettingKind::kChoice: {
        std::string items;
        std::size_t selected = 0;
        for (std::size_t i = 0; i < setting.Choices.size(); ++i) {
          items += std::string(i ? "," : "") + JsonQuoted(setting.Choices[i].Label);
          if (setting.Choices[i].Stored == kDefaultSettings.*setting.ByteField) selected = i;
        }
        control += ",\"type\":\"dropdown\",\"value\":" + std::to_string(selected) + ",\"items\":[" + items + "]";
        break;
      }
      case SettingKind::kFlag:
        control += ",\"type\":\"checkbox\",\"value\":" + std::string(DefaultFlag(setting) ? "true" : "false");
        break;
      case SettingKind::kCount:
        control += ",\"type\":\"slider\",\"min\":" + NumberText(SliderMin(setting)) + ",\"max\":" +
                   NumberText(SliderMax(setting)) + ",\"step\":1,\"value\":" + NumberText(DefaultCount(setting));
        break;
    }
    controls += std::string(controls.empty() ? "" : ",\n") + "  " + JsonQuoted(setting.Name) + ": " + control + "}";
  }
  controls += ",\n  \"scale\": {\"text\":" + JsonQuoted(kScaleCaption) + ",\"type\":\"slider\"," + ScaleRange() +
              ",\"value\":" + ScaleDefault() + "}";
  return "{\n" + controls + "\n}\n";
}

bool Write(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (out) return true;
  std::fprintf(stderr, "ombrel-wallpaper: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string host = argc == 3 ? argv[1] : "";
  const std::string dir = argc == 3 ? std::string(argv[2]) + "/" : "";
  if (host == "wallpaper-engine") return Write(dir + "project.json", WallpaperEngineProject()) ? 0 : 2;
  if (host == "lively") {
    return Write(dir + "LivelyInfo.json", LivelyInfo(OMBREL_VERSION)) &&
                   Write(dir + "LivelyProperties.json", LivelyProperties())
               ? 0
               : 2;
  }
  std::fprintf(stderr, "usage: ombrel-wallpaper wallpaper-engine|lively DIR\n");
  return 2;
}
