#include "app/AppSettings.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "core/files/Parser.h"
#include "core/files/XmlEscape.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"

namespace {

constexpr std::string_view kVolumeSuffix = "-volume";

class SettingsReader : public Parser {
public:
    explicit SettingsReader(AppSettings* settings) : mSettings(settings) {}
    bool mSawSettings = false;

protected:
    void HandleElementStart(const XMLElement& element) override {
        if (element.mName != "settings") {
            return;  // elements of newer versions are skipped
        }
        mSawSettings = true;
        for (const auto& [name, value] : element.mAttributes) {
            ReadAttribute(name, value);
        }
    }

private:
    void Warn(const std::string& name, const std::string& value) {
        LogWarning("Bad value '%s' for \"%s\" on Line %d in File '%s'; the default is kept.",
                   value.c_str(), name.c_str(), GetCurrentLine(), GetCurrentFile().c_str());
    }

    // Integers take the clamped value with its fraction dropped.
    template <typename T>
    bool ReadNumber(const std::string& name, const std::string& value, float low, float high,
                    T* out) {
        float v = 0.0f;
        if (!StringToFloatChecked(value, &v) || !std::isfinite(v)) {
            Warn(name, value);
            return false;
        }
        *out = static_cast<T>(std::clamp(v, low, high));
        return true;
    }

    bool ReadBool(const std::string& name, const std::string& value, bool* out) {
        if (value == "true" || value == "1") {
            *out = true;
        } else if (value == "false" || value == "0") {
            *out = false;
        } else {
            Warn(name, value);
            return false;
        }
        return true;
    }

    void ReadAttribute(const std::string& name, const std::string& value) {
        if (name == "version") {
            mSettings->mVersion = value;
        } else if (name == "sfx-volume") {
            ReadNumber(name, value, 0.0f, 1.0f, &mSettings->mSfxVolume);
        } else if (name.size() > kVolumeSuffix.size() && name.ends_with(kVolumeSuffix)) {
            // Through a local: a bad value must not add the channel.
            double v = 0.0;
            if (ReadNumber(name, value, 0.0f, 1.0f, &v)) {
                mSettings->mChannelVolumes[name.substr(0, name.size() - kVolumeSuffix.size())] = v;
            }
        } else if (name == "mouse-speed") {
            ReadNumber(name, value, 1.0f, 20.0f, &mSettings->mMouseSpeed);
        } else if (name == "windowed") {
            ReadBool(name, value, &mSettings->mWindowed);
        } else if (name == "stretch-screen") {
            ReadBool(name, value, &mSettings->mStretchScreen);
        } else if (name == "width") {
            ReadNumber(name, value, 320.0f, 16384.0f, &mSettings->mPreferredWidth);
        } else if (name == "height") {
            ReadNumber(name, value, 240.0f, 16384.0f, &mSettings->mPreferredHeight);
        } else if (name == "wait-for-vsync") {
            ReadBool(name, value, &mSettings->mWaitForVSync);
        } else if (name == "in-progress") {
            ReadBool(name, value, &mSettings->mInProgress);
        } else if (name == "custom-cursors") {
            ReadBool(name, value, &mSettings->mCustomCursors);
        }
    }

    AppSettings* mSettings;
};

// Whether "<channel>-volume" is an attribute name the file can hold and read back as that
// channel: letters, digits, '_', '-' and '.', not starting with a digit, '-' or '.', and not one
// that would collide with the sound-effect volume.
bool IsStorableChannelName(const std::string& channel) {
    if (channel.empty() || channel == "sfx") {
        return false;
    }
    const auto isLetter = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    };
    if (!isLetter(channel[0])) {
        return false;
    }
    return std::all_of(channel.begin(), channel.end(), [&](char c) {
        return isLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
    });
}

const char* BoolText(bool b) {
    return b ? "true" : "false";
}

}  // namespace

bool ReadSettingsFile(const std::string& path, AppSettings* out, std::string* error,
                      bool* missing) {
    *missing = false;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        *missing = true;
        return true;
    }
    // Read into a copy: a file that fails half-way leaves the settings as they were.
    AppSettings read = *out;
    SettingsReader reader(&read);
    if (!reader.ParseFileAtPath(path)) {
        *error = reader.GetError();
        return false;
    }
    if (!reader.mSawSettings) {
        *error = "No settings element on Line 1 in File '" + path + "'";
        return false;
    }
    *out = read;
    return true;
}

std::string SettingsToXml(const AppSettings& s) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<settings";
    xml += " version=\"" + EscapeXmlMarkup(s.mVersion) + "\"";
    xml += StrFormat(" sfx-volume=\"%.3f\"", s.mSfxVolume);
    for (const auto& [channel, volume] : s.mChannelVolumes) {
        // A name no attribute can carry would make the whole file unreadable next time; such a
        // channel keeps its volume for this run only.
        if (IsStorableChannelName(channel)) {
            xml += " " + channel + std::string(kVolumeSuffix) + StrFormat("=\"%.3f\"", volume);
        }
    }
    xml += StrFormat(" mouse-speed=\"%d\"", s.mMouseSpeed);
    xml += StrFormat(" windowed=\"%s\" stretch-screen=\"%s\"", BoolText(s.mWindowed),
                     BoolText(s.mStretchScreen));
    xml += StrFormat(" width=\"%d\" height=\"%d\"", s.mPreferredWidth, s.mPreferredHeight);
    xml +=
        StrFormat(" wait-for-vsync=\"%s\" in-progress=\"%s\" custom-cursors=\"%s\"",
                  BoolText(s.mWaitForVSync), BoolText(s.mInProgress), BoolText(s.mCustomCursors));
    xml += "/>\n";
    return xml;
}
