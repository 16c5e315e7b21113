#pragma once
// How a movie player reports to its owner. Main thread.

#include <string>

class FlashListener {
public:
    virtual ~FlashListener() = default;
    // The movie has run to its end (not while the player is paused).
    virtual void MovieFinished() = 0;
    // A command the movie sent, with its argument text.
    virtual void FSCommand(const std::string& command, const std::string& args) = 0;
};
