#pragma once
// The process-wide table of localized texts: id to text. Filled by the localization reader on the
// start-up loader thread and read by widgets and screens on the main thread, so every operation
// takes the table's lock. Texts are returned by value because a reload may empty the table while
// a caller still holds an earlier answer.

#include <cstddef>
#include <string>
#include <string_view>

class LocalizedTexts {
public:
    // The text filed under id. An absent id is entered with an empty text (so that a later look
    // at the table shows which ids the screens asked for) and the empty text is returned. Any
    // thread.
    static std::string Lookup(const std::string& id);

    // The loader threads' lookup: copies the text filed under id into out and answers true, or
    // answers false; never inserts. Any thread.
    static bool Find(const std::string& id, std::string* out);

    // Whether id is in the table; never inserts. Any thread.
    static bool Contains(const std::string& id);

    // Files text under id, replacing an earlier text. The text is stored as given (no "[br]"
    // conversion; see ConvertLineBreaks). Any thread.
    static void Set(const std::string& id, const std::string& text);

    // Empties the table so that it can be read again. Any thread.
    static void Clear();

    // Number of entries. Any thread.
    static size_t Size();

    // The text with every "[br]" turned into a newline, the line break the text drawers know.
    static std::string ConvertLineBreaks(std::string_view text);
};
