#pragma once
// The application object: owns the window (through the platform layer), the widget manager, the
// dialog table and the deferred widget deletion queue; runs start-up, the fixed-step main loop and
// shutdown; keeps the per-user settings. One exists per process, reachable through gApp. Unless
// a comment says otherwise, every call is for the main thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/AppSettings.h"
#include "app/CommandLine.h"
#include "app/FrameTimeStats.h"
#include "graphics/Point.h"
#include "platform/InstanceLock.h"
#include "platform/PlatformEventSink.h"
#include "widgets/WidgetHost.h"

class AppAudioControl;
class Clock;
class D3DInterface;
class Graphics;
class Image;
class ImageSurface;
class Platform;
struct PointerState;
class Widget;
class WidgetManager;

class QuorAppBase : public PlatformEventSink, public WidgetHost {
public:
    // Sets the defaults (update period 10 ms, speed 1.0, single instance on), creates the widget
    // manager and becomes gApp. The platform defaults to a NullPlatform and the clock to the
    // system clock until SetPlatform/SetClock replace them.
    QuorAppBase();
    // Releases the dialogs, the widget manager and the platform; gApp becomes null.
    ~QuorAppBase() override;
    QuorAppBase(const QuorAppBase&) = delete;
    QuorAppBase& operator=(const QuorAppBase&) = delete;

    // Before Init: the window system (owned) and the time source (not owned, must outlive the
    // application).
    void SetPlatform(std::unique_ptr<Platform> platform);
    void SetClock(Clock* clock);
    // Before Init: the arguments after the program name, and the folder used when "-changedir"
    // is absent (ends in '/'; empty keeps the current folder).
    void SetCommandLine(std::vector<std::string> args) { mArgs = std::move(args); }
    void SetDefaultDataFolder(const std::string& folder) { mDefaultDataFolder = folder; }

    // Start-up in the order of RunGame: Init, then Start, which returns when the main loop has
    // ended (after Shutdown), then the destructor. Init returns false when the program must stop
    // (bad option, second copy, no window); GetExitCode then tells the process status.
    virtual bool Init();
    virtual void Start();
    // Start's pieces, for tests that drive MainLoopStep themselves: BeginRun starts the loading
    // thread, shows the window and starts the clock; Shutdown runs after the loop (frame
    // statistics, worker threads joined, settings written with "in-progress" cleared).
    void BeginRun();
    virtual void Shutdown();
    // Asks the application to end. From any thread; off the main thread it only sets the flag
    // that the main loop acts on.
    void Quit();
    bool IsQuitRequested() const { return mQuitRequested.load(); }
    int GetExitCode() const { return mExitCode; }

    // One pass of the main loop: events, due updates, then a draw or a sleep. False once the
    // application has quit. Start runs it until then; tests may call it directly after Init.
    bool MainLoopStep();

    // Dialogs: AddDialog enters the widget under its id and adds it to the widget manager (as a
    // base layer when it is a menu whose WantsBaseLayer answers true). KillDialogByPointer
    // removes it from both and queues its deletion; a widget not in the table (killed twice,
    // never added) is left alone and not dereferenced.
    virtual void AddDialog(Widget* widget);
    virtual void KillDialogByPointer(Widget* widget);
    bool HasDialog(const Widget* widget) const;
    size_t GetDialogCount() const { return mDialogs.size(); }
    // Queues a widget for deletion outside every widget walk (a widget already queued is queued
    // once). The application deletes it after the current pass, unless it was added to a tree
    // again meanwhile.
    void QueueWidgetDeletion(Widget* widget) override;
    // Deletes the queued widgets now; does nothing while a widget walk runs.
    void ProcessDeletionQueue();
    size_t GetDeletionQueueSize() const { return mDeletionQueue.size(); }

    // Cursor numbers: 0 arrow, 1 hand, 2 slider grab, 3 text, 11 none.
    void SetCursor(int number) override;
    int GetCursor() const override { return mCursor; }
    // The custom pointer widget: while custom cursors are on, the window system shows its
    // picture as the pointer (CursorPicture), hot spot at the widget's origin; null returns to
    // the system cursor. A widget whose script has not yet added its picture is shown once it
    // has. Not owned.
    virtual void SetCursorImage(Widget* cursorWidget);
    Widget* GetCursorImage() const { return mCursorWidget; }
    virtual void SetCustomCursorsEnabled(bool enabled);

    // Sound. Volumes are reals 0 to 1; setting stores the value (kept in "settings.xml") and
    // applies it to the audio layer (0 while muted).
    void PlaySample(int soundId) override;
    // Without a sound player of its own the base plays a plain one-shot; GameApp routes it
    // through its sound player.
    void PlaySoundEffect(int soundId, int minTicks, double volume) override;
    virtual double GetSfxVolume() const { return mSettings.mSfxVolume; }
    virtual void SetSfxVolume(double volume);
    // 0 for a channel without a volume yet.
    virtual double GetChannelVolume(const std::string& channel) const;
    virtual void SetChannelVolume(const std::string& channel, double volume);
    virtual void SetMuted(bool muted);
    bool IsMuted() const { return mMuted; }
    // The audio layer (not owned); null until it is attached. Re-applies the volumes.
    void SetAudioControl(AppAudioControl* audio);
    // Mouse speed 1 to 20, kept in the settings; the pointer moves at it in full screen only.
    virtual int GetMouseSpeed() const { return mSettings.mMouseSpeed; }
    virtual void SetMouseSpeed(int speed);

    // Loading fraction 0 to 1; 1 once the loading thread has finished. Any thread.
    float GetLoadingThreadProgress() const;
    bool IsLoadingComplete() const { return mLoadingCompleteDone; }
    // From a successful Init until the loading-complete step: start-up assets may still arrive
    // (the start screens wait for their pictures meanwhile). Main thread.
    bool IsStartupLoadingPending() const { return mInitDone && !mLoadingCompleteDone; }

    // Switches windowed/full-screen play unless already in that mode and not forced.
    virtual void SwitchScreenMode(bool windowed, bool force);
    // Stores the stretch flag and, in full-screen play, re-applies the display layout.
    virtual void SetStretchScreen(bool stretch);

    // Reads an image file from the first resource folder that has it; a new image owned by the
    // caller, or null (with a log line) when it is missing or unreadable. Any thread.
    virtual std::unique_ptr<ImageSurface> LoadImageSurface(const std::string& name,
                                                           const std::string& path, uint32_t flags,
                                                           int columns, int rows);
    // A new surface holding a copy of the image; null for null.
    std::unique_ptr<ImageSurface> CopyImage(const Image* image);

    // The system clipboard through the platform layer: empty when it holds no text or there is no
    // window system (NullPlatform). Main thread.
    std::string GetClipboard() override;
    void CopyToClipboard(const std::string& text) override;

    // The "FATAL ERROR" box (in screen-saver mode the text is appended to "ScrError.txt" in the
    // per-user folder instead).
    void ShowFatalError(const std::string& text);
    // The same box with a caption; true when a box was shown (false: the text went to standard
    // error).
    bool ShowErrorOrLog(const std::string& caption, const std::string& text) override;
    int GetDesignWidth() const override { return mWidth; }
    int GetDesignHeight() const override { return mHeight; }
    bool UpdatesSuspended() const override { return mUpdateSuspendCount > 0; }
    // The base handles no script command; the game overrides it.
    CommandAnswer HandleScriptCommand(const AnimationCommand& command,
                                      AnimationWidget* widget) override;

    // The float update of the widget tree (1.0 after each 10 ms fixed update).
    void UpdateFramesF(float elapsed);

    // The pause count; every change calls PauseCountChanged. The window adds one of its own
    // while it is inactive (no keyboard focus, or minimised), outside screen-saver mode.
    void SetPauseCount(int count);
    int GetPauseCount() const { return mPauseCount; }

    // Settings as in memory and the file they live in.
    const AppSettings& GetSettings() const { return mSettings; }
    std::string GetSettingsPath() const;
    // Writes "settings.xml" (whole or not at all). Skipped, returning false, while the file on
    // disk could not be read and the player has changed nothing since.
    bool SaveSettings();
    bool WasSettingsFileUnreadable() const { return mSettingsUnreadable; }
    // False when the per-user folder can't be written (a read-only or missing home): the game
    // then plays on without saving anything.
    bool AreUserFilesWritable() const { return mUserFilesWritable; }
    // Records that the player's progress is not being kept (saving is off, or a save failed); the
    // game tells the player once (TakeSaveProblem). Main thread.
    void NoteSaveProblem() { mSaveProblem = true; }
    // Whether a save problem is waiting to be shown; true once per run, the first time after
    // one was noted.
    bool TakeSaveProblem();

    WidgetManager* GetWidgetManager() const { return mWidgetManager; }
    Platform* GetPlatform() const { return mPlatform.get(); }
    D3DInterface* GetDevice() const { return mDevice.get(); }
    Clock* GetClock() const { return mClock; }
    const CommandLineOptions& GetCommandLineOptions() const { return mOptions; }

    // Before Start: when nothing is scheduled (see HasScheduledWork), the main loop waits for
    // the next window event instead of waking for every update, and catches the owed updates up
    // on waking. Off by default, so tests that drive the loop with their own clock keep their
    // step-by-step timing; the game turns it on.
    void SetIdleWaiting(bool on) { mIdleWaiting = on; }
    // Before Start: a quit waits for the loading thread only kLoaderStopWaitMs before ending the
    // process without it (LeaveLoadingThreadRunning). Off by default: a test's application always
    // joins its loader, so a slow machine can never end a test program early; the game turns it
    // on.
    void SetQuitMayLeaveLoader(bool on) { mQuitMayLeaveLoader = on; }
    // Tests: frames follow one another at least ms apart on the application's clock (besides
    // those a whole redraw asks for). Most tests look at what the screens do rather than at what
    // they show, and the software renderer's frames take most of their processor time; a test
    // that reads the screen keeps the default 0, a frame after every update.
    void SetDrawSpacingMs(int ms) { mDrawSpacingMs = static_cast<uint64_t>(ms); }
    // Idle waits so far (tests and the frame statistics).
    uint64_t GetIdleWaitCount() const { return mIdleWaits; }

    // Main-loop counters (tests and the frame statistics).
    uint64_t GetUpdateCount() const { return mUpdateCount; }
    uint64_t GetFloatUpdateCount() const { return mFloatUpdateCount; }
    uint64_t GetDrawCount() const { return mDrawCount; }
    // Frames that repainted only the part of the screen the widgets marked.
    uint64_t GetPartialDrawCount() const { return mPartialDrawCount; }
    // How long the frames drawn since the last statistics report took, from the start of
    // drawing to the end of presenting.
    const FrameTimeStats& GetDrawTimes() const { return mDrawTimes; }
    // Logs the "Frame statistics" line (updates, frames, idle waits and draw times since the
    // last report, or since the start) and starts the next period; returns the line. Shutdown
    // reports, and so does the main loop on SIGUSR1. Main thread.
    std::string ReportFrameStatistics();
    uint64_t GetDroppedGapCount() const { return mDroppedGaps; }
    uint64_t GetOwedMs() const { return mOwedMs; }
    bool IsVSyncPacing() const { return mVSyncPacing; }
    // Time from Init's start to the first presented frame; -1 before it.
    int64_t GetFirstFrameMs() const { return mFirstFrameMs; }

    // PlatformEventSink: input from the window, turned into widget-manager calls.
    void OnMouseMove(int x, int y) override;
    void OnMouseDown(int x, int y, int clickCount) override;
    void OnMouseUp(int x, int y, int clickCount) override;
    void OnMouseWheel(int delta) override;
    void OnMouseLeave() override;
    void OnCaptureLost() override;
    void OnKeyDown(int virtualKey) override;
    void OnKeyUp(int virtualKey) override;
    void OnKeyChar(char c) override;
    void OnFocusGained() override;
    void OnFocusLost() override;
    void OnMinimized(bool minimized) override;
    void OnCloseRequested() override;
    void OnWindowResized() override;

    // Fields the widget and screen code reads or writes.
    int mUpdateSuspendCount = 0;  // widget updates are suspended while above 0
    int mWidth = 1024;            // the design size
    int mHeight = 768;
    bool mTabletMode = false;
    bool mScreenSaverMode = false;
    // Loading-screen worker threads running now; a count, since two screens may load at once
    // (the main loop yields while it is above 0).
    std::atomic<int> mLoaderRunning{0};
    // A loading-screen worker starts and ends with these (its thread), counted in
    // mLoaderRunning; the application does not own stop, which is set when the game quits (at
    // once when the worker enters after that), so a quit never waits for a whole group.
    void EnterGroupLoader(std::atomic<bool>* stop);
    void LeaveGroupLoader(std::atomic<bool>* stop);
    bool mWindowed = true;
    bool mForbidWindowed = false;
    bool mCustomCursors = true;
    bool mStretchScreen = false;
    Point mNormalDisplaySize{1024, 768};
    Point mStretchedDisplaySize{1024, 768};
    std::string mTitle = "Pelnora 7";
    std::string mProductName = "Pelnora 7";
    std::string mVersion = "v1.2";
    double mSpeedMultiplier = 1.0;
    bool mSingleInstance = true;

    // Main-loop timing rules.
    static constexpr int kUpdatePeriodMs = 10;
    static constexpr int kMaxGapMs = 200;
    static constexpr int kMaxRoundsBeforeDraw = 10;
    static constexpr int kVSyncCheckUpdates = 100;
    static constexpr int kVSyncCheckMinMs = 800;
    static constexpr int kVSyncFailuresToStop = 3;
    static constexpr int kLoaderYieldMs = 250;
    static constexpr int kLoaderDrawSpacingMs = 100;
    // How often the scratch pool is checked; a pool untouched for a whole period is freed.
    static constexpr uint64_t kScratchTrimPeriodMs = 2000;

protected:
    // Runs on the loading thread started by Start; the base does nothing.
    virtual void LoadingThreadProc() {}
    // The one-time step on the main thread after the loading thread has ended (the game tells
    // its title screen).
    virtual void LoadingThreadFinished() {}
    // The pause count changed (the game pauses its board and menus).
    virtual void PauseCountChanged() {}
    // One fixed update: the work posted to the main thread, the widget tree, then the queued
    // deletions.
    virtual void UpdateFrame();
    // A frame: the widget tree drawn into the back buffer and presented.
    virtual void DrawFrame();
    // The first screen's background colour (0xRRGGBB), shown as the window's first picture as
    // soon as it maps, before the render device and the loading are set up; false (the default)
    // shows nothing before the first frame.
    virtual bool GetFirstPictureColor(uint32_t* rgb) const {
        (void)rgb;
        return false;
    }
    // Whether a coming update may change something without an input event: loading, a draw
    // due, work posted to the main thread, queued deletions or a widget with work of its own
    // (WidgetContainer::HasScheduledWork). The game adds its sound fades.
    virtual bool HasScheduledWork() const;
    // The quit sequence on the main thread: stops accepting input, hides the window, restores
    // the display mode and writes the settings with "in-progress" cleared.
    virtual void DoQuit();
    // Ends the process when the loading thread or a loading screen's worker did not stop in
    // time: the settings are written with "in-progress" cleared and the process exits with its
    // status, without joining the threads or freeing the tables they fill. Loaders write only
    // whole files; a game with progress to keep saves it first.
    virtual void LeaveLoadingThreadRunning();
    // Waits for the loading thread to end, however long it takes.
    void JoinLoadingThread();

    // Loading progress: the total, and one item counted (from the loading thread).
    void SetLoadingTotal(int total) { mLoadingTotal.store(total); }
    int GetLoadingTotal() const { return mLoadingTotal.load(); }
    void CountLoadedItem() { mLoadingCount.fetch_add(1); }
    // Asks the loading thread and the loading screens' workers to stop and waits for them, at
    // most kLoaderStopWaitMs (real time) when a quit may leave a loader; one still busy then
    // (inside one file's decode, which has no point to stop at) is left to
    // LeaveLoadingThreadRunning. A derived class whose LoadingThreadProc uses its own members
    // calls it first in its destructor, before those members go.
    void StopLoadingThread();
    static constexpr int kLoaderStopWaitMs = 1000;
    // Whether the loading thread has been asked to stop early (quit during loading).
    bool IsLoadingAborted() const { return mAbortLoading.load(); }
    // The same flag, for loaders that poll it themselves.
    const std::atomic<bool>& LoadingAbortFlag() const { return mAbortLoading; }

    // The process status for a start-up that failed in a derived class's Init.
    void SetExitCode(int code) { mExitCode = code; }

    // Marks that the player changed a setting, so "settings.xml" may be rewritten.
    void NoteSettingChanged() { mSettingsChanged = true; }

    AppSettings mSettings;
    WidgetManager* mWidgetManager = nullptr;
    Graphics* mGraphics = nullptr;  // the frame's drawing context, set while the tree is drawn
    std::unique_ptr<D3DInterface> mDevice;  // the render device; null without a GL window

private:
    bool ReadSettings();
    void ApplyCursor();
    // The platform's pointer speed: the chosen one in full screen, the desktop's in a window.
    void ApplyMouseSpeed();
    void UpdateAreaRects();
    void StartLoadingThread();
    // The settings with "in-progress" cleared, as the game leaves (none in screen-saver mode or
    // before start-up was done).
    void SaveSettingsAtExit();
    void CheckLoadingProgress();
    int RunUpdateRounds(uint64_t now);
    // With idle waiting on and nothing scheduled: waits for an event, then catches up the
    // updates owed for the time asleep. False when it did not wait.
    bool WaitWhileIdle();
    void NoteVSyncCheck(uint64_t now);
    // Raises or lowers the pause count as the window turns inactive or active again.
    void ApplyWindowPause();
    // Pacing by the sync: in full screen or when "wait-for-vsync" is set, at speed 1.0, unless
    // it was given up.
    void ApplyVSyncPacing();
    double EffectiveVolume(double volume) const { return mMuted ? 0.0 : volume; }
    bool InWidgetWalk() const { return mWalkDepth > 0; }
    // Maps window coordinates (in place) to the design size and finds the pointer record for the
    // mouse; the hit widget and its local coordinates are optional outputs. Inside a widget walk.
    PointerState* FindMouseRecord(int* x, int* y, Widget** hit = nullptr, float* localX = nullptr,
                                  float* localY = nullptr);

    // Marks a widget walk for its lifetime, so widgets queued for deletion meanwhile wait until
    // no walk holds pointers into the tree.
    class WidgetWalk {
    public:
        explicit WidgetWalk(int& depth) : mDepth(depth) { ++mDepth; }
        ~WidgetWalk() { --mDepth; }
        WidgetWalk(const WidgetWalk&) = delete;
        WidgetWalk& operator=(const WidgetWalk&) = delete;

    private:
        int& mDepth;
    };

    std::unique_ptr<Platform> mPlatform;
    std::unique_ptr<Clock> mOwnedClock;
    Clock* mClock = nullptr;
    AppAudioControl* mAudio = nullptr;
    std::vector<std::string> mArgs;
    std::string mDefaultDataFolder;
    CommandLineOptions mOptions;
    InstanceLock mInstanceLock;
    int mExitCode = 0;

    bool mSettingsUnreadable = false;
    bool mSettingsChanged = false;
    bool mSettingsSaveFailed = false;  // the last write failed (logged once until one succeeds)
    bool mUserFilesWritable = true;
    bool mSaveProblem = false;
    bool mSaveProblemShown = false;

    std::vector<std::pair<uint32_t, Widget*>> mDialogs;  // id, widget; in the order added
    std::vector<Widget*> mDeletionQueue;
    int mWalkDepth = 0;

    int mCursor = 0;
    Widget* mCursorWidget = nullptr;
    // The widget whose picture the platform shows as the pointer (null: the system cursor).
    Widget* mShownCursorWidget = nullptr;
    // A widget whose picture the platform refused: not offered again.
    Widget* mRefusedCursorWidget = nullptr;
    bool mMuted = false;
    int mPauseCount = 0;
    // The window starts active: a driver that never reports the focus (offscreen) never pauses.
    bool mWindowFocused = true;
    bool mWindowMinimized = false;
    bool mPausedByWindow = false;
    bool mCaptured = false;
    uint32_t mHeldButtons = 0;

    std::atomic<bool> mQuitRequested{false};
    bool mQuitDone = false;
    bool mShutdownDone = false;
    bool mInitDone = false;

    std::thread mLoadingThread;
    std::atomic<int> mLoadingCount{0};
    std::atomic<int> mLoadingTotal{1};
    std::atomic<bool> mLoadingFinished{false};
    std::atomic<bool> mAbortLoading{false};
    bool mLoadingCompleteDone = false;
    // The stop flags of the loading screens' workers running now, and whether they were told to
    // stop (under the lock).
    std::mutex mGroupLoadersLock;
    std::vector<std::atomic<bool>*> mGroupLoaders;
    bool mGroupLoadersStopped = false;

    uint64_t mStartMs = 0;
    uint64_t mLastTickMs = 0;
    uint64_t mOwedMs = 0;
    uint64_t mLastDrawMs = 0;
    uint64_t mDrawSpacingMs = 0;
    uint64_t mLastScratchTrimMs = 0;
    bool mNeedsRedraw = true;
    bool mVSyncPacing = false;
    bool mVSyncGivenUp = false;  // the sync did not pace the loop: off for the rest of the run
    int mVSyncFailures = 0;
    uint64_t mLastVSyncCheckMs = 0;
    uint64_t mUpdateCount = 0;
    uint64_t mFloatUpdateCount = 0;
    uint64_t mDrawCount = 0;
    uint64_t mPartialDrawCount = 0;
    // The screen image holds the last presented frame whole, so a frame may repaint a part of
    // it; false until the first frame and after a failed present (the device was rebuilt).
    bool mScreenKept = false;
    FrameTimeStats mDrawTimes;
    // Where the period of the next statistics report starts.
    uint64_t mReportStartMs = 0;
    uint64_t mReportedUpdates = 0;
    uint64_t mReportedDraws = 0;
    uint64_t mReportedPartialDraws = 0;
    uint64_t mReportedIdleWaits = 0;
    uint64_t mDroppedGaps = 0;
    int64_t mFirstFrameMs = -1;
    bool mIdleWaiting = false;
    bool mQuitMayLeaveLoader = false;
    uint64_t mIdleWaits = 0;
    // The longest idle wait: the whole gap, with the owed time and a margin for waking late,
    // stays under the stall limit, so the updates missed while asleep are caught up, not dropped.
    static constexpr int kIdleWaitMs = kMaxGapMs - 2 * kUpdatePeriodMs;
};

// The application object of the process; null before it is built and after it is destroyed.
extern QuorAppBase* gApp;
