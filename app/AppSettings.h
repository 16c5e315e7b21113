#pragma once
// The per-user settings kept in "settings.xml": one `settings` element whose attributes hold the
// version, volumes, mouse speed, window mode, preferred size, vertical-sync wish, the
// "in-progress" mark and the custom-cursor choice (see docs/design/platform-app.md).

#include <map>
#include <string>

struct AppSettings {
    std::string mVersion;
    double mSfxVolume = 0.8;
    // Named music channel volumes ("music" for the options dialog), 0 to 1.
    std::map<std::string, double> mChannelVolumes{{"music", 0.8}};
    int mMouseSpeed = 10;  // 1 to 20
    bool mWindowed = true;
    bool mStretchScreen = false;
    int mPreferredWidth = 1024;
    int mPreferredHeight = 768;
    bool mWaitForVSync = false;
    bool mInProgress = false;
    bool mCustomCursors = true;

    bool operator==(const AppSettings& other) const = default;
};

// Reads the settings file at path into *out. When the file is missing, *out keeps its values and
// *missing is set. When it can't be read (malformed XML, no `settings` element) *out keeps its
// values, false is returned and *error names the file and line. Values out of range are clamped;
// a value that is not a number or a boolean keeps the default with a warning. Main thread.
bool ReadSettingsFile(const std::string& path, AppSettings* out, std::string* error, bool* missing);

// The file's whole text, for WriteBufferToFile. A channel whose name can't be an attribute name is
// left out, so the file always reads back.
std::string SettingsToXml(const AppSettings& settings);
