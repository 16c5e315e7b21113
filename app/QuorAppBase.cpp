#include "app/QuorAppBase.h"

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/AppAudioControl.h"
#include "core/expr/MainThread.h"
#include "core/expr/MainThreadAssert.h"
#include "core/files/ConfigFile.h"
#include "core/files/PakInterfaceBase.h"
#include "core/util/FileUtil.h"
#include "core/util/Log.h"
#include "core/util/Random.h"
#include "core/util/StringUtil.h"
#include "graphics/D3DInterface.h"
#include "graphics/EffectTranslator.h"
#include "graphics/Graphics.h"
#include "graphics/ImageLoading.h"
#include "graphics/ImageSurface.h"
#include "platform/Clock.h"
#include "platform/NullPlatform.h"
#include "platform/Platform.h"
#include "platform/QuitSignal.h"
#include "widgets/MenuInterface.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/CursorPicture.h"

QuorAppBase* gApp = nullptr;

namespace {

// Blocks at least this large get their own memory mapping (glibc's starting threshold).
constexpr int kOwnMappingBytes = 128 * 1024;
// Free memory at the top of the heap kept for the next frame rather than handed back.
constexpr int kKeptHeapTopBytes = 2 * 1024 * 1024;

// With one pointer every source behaves the same; the key only has to be constant.
constexpr uintptr_t kMouseSourceKey = 1;

uint32_t ButtonBit(int clickCount) {
    return clickCount > 0 ? 1u : (clickCount < 0 ? 2u : 4u);
}

// A NaN (a script's 0/0) reads as silence rather than reaching the mixer and the settings file.
double Clamp01(double v) {
    return v > 0.0 ? (v > 1.0 ? 1.0 : v) : 0.0;
}

}  // namespace

QuorAppBase::QuorAppBase()
    : mPlatform(std::make_unique<NullPlatform>()),
      mOwnedClock(std::make_unique<SystemClock>()),
      mClock(mOwnedClock.get()) {
    mSettings.mVersion = mVersion;
    mWidgetManager = new WidgetManager(this);
    gApp = this;
    SetWidgetHost(this);
}

QuorAppBase::~QuorAppBase() {
    StopLoadingThread();
    // A start that failed after marking the run in progress (no window, no game data) did not
    // crash: the next start must not take it for one.
    if (mSettings.mInProgress && !mScreenSaverMode) {
        mSettings.mInProgress = false;
        SaveSettings();
    }
    if (mIdleWaiting) {
        SetMainThreadWakeUp(nullptr);  // it holds the platform
    }
    // Dialogs and whatever else is still in the tree go through the deletion queue, so a widget
    // that also sits in the table is deleted once.
    const auto dialogs = mDialogs;
    mDialogs.clear();
    for (const auto& entry : dialogs) {
        Widget* widget = entry.second;
        if (widget->mParent != nullptr) {
            widget->mParent->RemoveWidget(widget);
        }
        QueueWidgetDeletion(widget);
    }
    mWidgetManager->RemoveAllWidgets(false, false);
    mWalkDepth = 0;
    ProcessDeletionQueue();
    mWidgetManager->FreePointerStates();
    delete mWidgetManager;
    mWidgetManager = nullptr;
    // The device frees its GL objects while the window's context still exists.
    Graphics::FreeScratchPool();
    mDevice.reset();
    mPlatform.reset();
    mInstanceLock.Release();
    if (IsLogging()) {
        StopLogging();
    }
    if (gApp == this) {
        gApp = nullptr;
    }
    if (GetWidgetHost() == this) {
        SetWidgetHost(nullptr);
    }
}

void QuorAppBase::SetPlatform(std::unique_ptr<Platform> platform) {
    mPlatform = platform ? std::move(platform) : std::make_unique<NullPlatform>();
}

void QuorAppBase::SetClock(Clock* clock) {
    mClock = clock != nullptr ? clock : mOwnedClock.get();
}

std::string QuorAppBase::GetSettingsPath() const {
    return GetAppDataFolder() + "settings.xml";
}

bool QuorAppBase::Init() {
    mStartMs = mClock->NowMs();
    mReportStartMs = mStartMs;
    SetMainThread();
    // Pictures come and go in blocks of megabytes (decoded files, the driver's textures). A fixed
    // threshold keeps every such block in its own mapping, handed back whole when freed; glibc's
    // moving threshold would soon put them on the heap, where the holes they leave keep pages.
    mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes);
    // Setting the threshold also fixes the trim threshold at 128 KiB, so each frame's buffers,
    // freed at its end, handed the top of the heap back and took it again on the next frame.
    // Only the pictures' blocks are worth handing back, and they have their own mappings.
    mallopt(M_TRIM_THRESHOLD, kKeptHeapTopBytes);

    // Options first: a bad one stops the program before any file is touched.
    std::string error;
    if (!ParseCommandLine(mArgs, &mOptions, &error)) {
        // Whoever started the game from a shell or a script reads it there too (without a
        // display the box's own fallback already wrote it).
        if (ShowErrorOrLog(mTitle, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
        }
        mExitCode = 2;
        return false;
    }
    mScreenSaverMode = mOptions.mScreenSaver;
    if (mScreenSaverMode) {
        mSingleInstance = false;
    }

    // Settled before the working folder changes: the lock, the settings, the profiles and the
    // sound cache all land in the one absolute folder, never inside the game's data; the log's
    // folder too.
    const std::string dataFolder =
        mOptions.mChangeDir.empty() ? mDefaultDataFolder : mOptions.mChangeDir;
    if (!SettleAppDataFolder(dataFolder.empty() ? std::string(".") : dataFolder, &error)) {
        ShowErrorOrLog(mTitle, error);
        mExitCode = 1;
        return false;
    }
    SettleLogFolder();
    const std::string userFolder = GetAppDataFolder();
    std::string unwritable;
    mUserFilesWritable = IsAppDataFolderWritable(&unwritable);
    if (!mUserFilesWritable) {
        LogWarning("Nothing will be saved: %s", unwritable.c_str());
        NoteSaveProblem();
    }
    // One copy writes the per-user files: claim the lock before reading or writing any of them.
    // Where nothing can be written there is nothing to guard, so a lock file that can't be made
    // does not stop the game.
    const std::string lockPath = userFolder + "instance.lock";
    const bool lockable = mUserFilesWritable || ::access(lockPath.c_str(), F_OK) == 0;
    if (mSingleInstance && lockable && !mInstanceLock.Acquire(lockPath, &error)) {
        if (error == "already running") {
            ShowErrorOrLog(mTitle, mTitle + " is already running.");
            mExitCode = 1;
            return false;
        }
        if (mUserFilesWritable) {
            ShowErrorOrLog(mTitle, error);
            mExitCode = 1;
            return false;
        }
        LogWarning("%s", error.c_str());
    }
    if (mUserFilesWritable) {
        // Saves cut short by a kill leave their temporaries; no other copy is writing now.
        RemoveLeftoverTemporaries(userFolder);
    }

    ReadSettings();

    if (!dataFolder.empty() && ::chdir(dataFolder.c_str()) != 0) {
        ShowFatalError("Can't open the game's data folder '" + dataFolder + "'.");
        mExitCode = 1;
        return false;
    }

    ConfigFile config;
    if (config.Load()) {
        if (!config.GetTitle().empty()) {
            mTitle = config.GetTitle();
        }
    } else if (!config.WasFileMissing()) {
        LogWarning("%s", config.GetError().c_str());
    }

    SeedRandom(static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count() &
                                     0xFFFFFFFF));

    if (!mPlatform->OpenWindow(mTitle, mWidth, mHeight, mWindowed, mStretchScreen, &error)) {
        ShowFatalError(error);
        mExitCode = 1;
        return false;
    }
    int desktopWidth = 0;
    int desktopHeight = 0;
    if (mPlatform->GetDesktopSize(&desktopWidth, &desktopHeight) &&
        (desktopWidth < mWidth || desktopHeight < mHeight)) {
        ShowFatalError(StrFormat("Please set your desktop resolution to at least %dx%d pixels.",
                                 mWidth, mHeight));
        mExitCode = 1;
        return false;
    }
    if (desktopWidth > 0 && desktopHeight > 0) {
        // Full screen shows the picture at the design's shape on the desktop, or stretched over
        // all of it; the options offer stretching only where the two differ.
        mStretchedDisplaySize = Point(desktopWidth, desktopHeight);
        const PlatformRect fitted = FitDesignShape(desktopWidth, desktopHeight, mWidth, mHeight);
        mNormalDisplaySize = Point(fitted.width, fitted.height);
    }
    // The player sees the window as soon as it exists; the GL set-up, the screen surface and the
    // first settings write (a synced file write) come after it.
    mPlatform->ShowWindow(true);
    if (uint32_t rgb = 0; GetFirstPictureColor(&rgb)) {
        mPlatform->ShowPlainPicture(rgb);
    }
    if (!mScreenSaverMode) {
        mSettings.mInProgress = true;
        SaveSettings();
    }
    if (mPlatform->GetGLContext() != nullptr) {
        mDevice = std::make_unique<D3DInterface>();
        if (!mDevice->InitOnContext(static_cast<SDL_Window*>(mPlatform->GetNativeWindow()),
                                    mPlatform->GetGLContext(), mWidth, mHeight)) {
            ShowFatalError(GetRuntimeError());
            mDevice.reset();
            mExitCode = 1;
            return false;
        }
    }
    UpdateAreaRects();
    ApplyVSyncPacing();
    ApplyMouseSpeed();
    ApplyCursor();
    mInitDone = true;
    return true;
}

bool QuorAppBase::ReadSettings() {
    const std::string path = GetSettingsPath();
    AppSettings read = mSettings;
    std::string error;
    bool missing = false;
    if (ReadSettingsFile(path, &read, &error, &missing)) {
        if (!missing) {
            mSettings = read;
        }
    } else {
        // Keep the defaults, and keep the player's file until they change something.
        mSettingsUnreadable = true;
        LogWarning("Settings not read, using the defaults: %s", error.c_str());
    }
    mSettings.mVersion = mVersion;
    mWindowed = mSettings.mWindowed && !mForbidWindowed;
    mStretchScreen = mSettings.mStretchScreen;
    mCustomCursors = mSettings.mCustomCursors;
    return !mSettingsUnreadable;
}

bool QuorAppBase::SaveSettings() {
    if ((mSettingsUnreadable && !mSettingsChanged) || !mUserFilesWritable) {
        return false;
    }
    mSettings.mVersion = mVersion;
    if (!WriteBufferToFile(GetSettingsPath(), SettingsToXml(mSettings))) {
        // A full disk fails every save: one line until a save succeeds again.
        if (!mSettingsSaveFailed) {
            LogWarning("Can't write '%s': %s", GetSettingsPath().c_str(), std::strerror(errno));
        }
        mSettingsSaveFailed = true;
        NoteSaveProblem();
        return false;
    }
    mSettingsSaveFailed = false;
    mSettingsUnreadable = false;
    return true;
}

bool QuorAppBase::TakeSaveProblem() {
    if (!mSaveProblem || mSaveProblemShown) {
        return false;
    }
    mSaveProblemShown = true;
    return true;
}

void QuorAppBase::Start() {
    BeginRun();
    while (MainLoopStep()) {
    }
    Shutdown();
}

void QuorAppBase::BeginRun() {
    if (mIdleWaiting) {
        // Work posted from another thread must not wait for the end of an idle wait.
        Platform* platform = mPlatform.get();
        SetMainThreadWakeUp([platform] { platform->WakeUp(); });
    }
    StartLoadingThread();
    mPlatform->ShowWindow(true);
    mLastTickMs = mClock->NowMs();
    mLastDrawMs = mLastTickMs;
    mOwedMs = 0;
    mNeedsRedraw = true;
}

void QuorAppBase::Quit() {
    mQuitRequested = true;
}

bool QuorAppBase::MainLoopStep() {
    if (mQuitDone) {
        return false;
    }
    mPlatform->PumpEvents(*this);
    ProcessDeletionQueue();
    if (QuitSignalReceived()) {
        Quit();
    }
    if (TakeStatisticsSignal()) {
        ReportFrameStatistics();
    }
    if (mQuitRequested) {
        DoQuit();
        return false;
    }

    const uint64_t now = mClock->NowMs();
    const int rounds = RunUpdateRounds(now);
    const bool loaderRunning = mLoaderRunning.load() > 0;
    const bool frameDue = rounds > 0 || mNeedsRedraw;
    if (frameDue) {
        // While a loader works, frames are spaced out to leave it the processor. A frame left
        // out for the spacing still counts as due below: the loop keeps the timing it has with
        // every frame drawn.
        const uint64_t afterUpdates = mClock->NowMs();
        const uint64_t spacing = loaderRunning
                                     ? std::max<uint64_t>(kLoaderDrawSpacingMs, mDrawSpacingMs)
                                     : mDrawSpacingMs;
        if (mNeedsRedraw || afterUpdates - mLastDrawMs >= spacing) {
            DrawFrame();
        }
    }
    // Images no screen drew for a while give their memory back; their files give them again.
    // So do the screen-sized targets a fade or a group draw left in the pool.
    if (mDevice && !loaderRunning) {
        size_t freed = mDevice->ReleaseUnusedImages(now);
        if (now >= mLastScratchTrimMs + kScratchTrimPeriodMs) {
            mLastScratchTrimMs = now;
            freed += Graphics::TrimScratchPool();
        }
        if (freed > 0) {
            malloc_trim(0);
        }
    }
    // Sleep for the rest of the frame when none was due; while a loader works, yield to it
    // on every step.
    const int untilNextUpdate = mOwedMs >= static_cast<uint64_t>(kUpdatePeriodMs)
                                    ? 0
                                    : kUpdatePeriodMs - static_cast<int>(mOwedMs);
    if (loaderRunning) {
        mClock->SleepMs(std::max(1, std::min(kLoaderYieldMs, untilNextUpdate)));
    } else if (!frameDue && !WaitWhileIdle()) {
        mClock->SleepMs(untilNextUpdate);
    }
    return true;
}

bool QuorAppBase::HasScheduledWork() const {
    return !mLoadingCompleteDone || mLoaderRunning.load() > 0 || mNeedsRedraw || mQuitRequested ||
           mWidgetManager->IsDirty() || !mDeletionQueue.empty() || HasMainThreadTasks() ||
           mWidgetManager->HasScheduledWork();
}

bool QuorAppBase::WaitWhileIdle() {
    if (!mIdleWaiting || HasScheduledWork()) {
        return false;
    }
    const int owed = static_cast<int>(mOwedMs);
    if (!mPlatform->WaitForEvents(kIdleWaitMs - owed)) {
        return false;
    }
    ++mIdleWaits;
    // The updates of the time asleep run now, before the events that ended the wait are
    // handled, so those meet the tree as the fixed steps would have left it. Nothing is due to
    // be drawn between them (the tree was at rest), unless one of them changes that.
    for (int pass = 0; pass < 2; ++pass) {
        if (RunUpdateRounds(mClock->NowMs()) == 0 || HasScheduledWork()) {
            break;
        }
    }
    return true;
}

int QuorAppBase::RunUpdateRounds(uint64_t now) {
    uint64_t elapsed = now >= mLastTickMs ? now - mLastTickMs : 0;
    mLastTickMs = now;
    if (elapsed > static_cast<uint64_t>(kMaxGapMs)) {
        // A long stall (a debugger, a suspended laptop) is dropped rather than raced through.
        ++mDroppedGaps;
        elapsed = 0;
    }
    mOwedMs += static_cast<uint64_t>(static_cast<double>(elapsed) * mSpeedMultiplier);
    mOwedMs = std::min<uint64_t>(mOwedMs, kMaxGapMs);
    int rounds = 0;
    while (mOwedMs >= static_cast<uint64_t>(kUpdatePeriodMs) && !mQuitRequested) {
        // Once loading is done a frame is drawn at least every ten updates; the rest of the
        // owed time is caught up after the draw.
        if (mLoadingCompleteDone && rounds >= kMaxRoundsBeforeDraw) {
            break;
        }
        UpdateFrame();
        UpdateFramesF(1.0f);
        mOwedMs -= kUpdatePeriodMs;
        ++rounds;
    }
    return rounds;
}

void QuorAppBase::UpdateFrame() {
    RunMainThreadTasks();
    CheckLoadingProgress();
    {
        const WidgetWalk walk(mWalkDepth);
        mWidgetManager->UpdateFrame();
    }
    // A pointer widget asked for before its script added its picture is shown once it has one.
    if (mCustomCursors && mCursorWidget != nullptr && mCursorWidget != mShownCursorWidget &&
        mCursorWidget != mRefusedCursorWidget) {
        ApplyCursor();
    }
    ++mUpdateCount;
    if (mVSyncPacing && mUpdateCount % kVSyncCheckUpdates == 0) {
        NoteVSyncCheck(mClock->NowMs());
    }
    ProcessDeletionQueue();
}

void QuorAppBase::UpdateFramesF(float elapsed) {
    {
        const WidgetWalk walk(mWalkDepth);
        mWidgetManager->UpdateFrameF(elapsed);
    }
    ++mFloatUpdateCount;
    ProcessDeletionQueue();
}

void QuorAppBase::NoteVSyncCheck(uint64_t now) {
    // A hundred updates should take a second. When they come much faster the display's refresh
    // is not pacing the game, so the sync is given up for good.
    if (mLastVSyncCheckMs != 0 &&
        now - mLastVSyncCheckMs <= static_cast<uint64_t>(kVSyncCheckMinMs)) {
        if (++mVSyncFailures >= kVSyncFailuresToStop) {
            mVSyncGivenUp = true;
            ApplyVSyncPacing();
        }
    } else {
        mVSyncFailures = 0;
    }
    mLastVSyncCheckMs = now;
}

void QuorAppBase::ApplyVSyncPacing() {
    mVSyncPacing =
        (!mWindowed || mSettings.mWaitForVSync) && mSpeedMultiplier == 1.0 && !mVSyncGivenUp;
    mPlatform->SetVSync(mVSyncPacing);
}

void QuorAppBase::DrawFrame() {
    if (mNeedsRedraw) {
        mWidgetManager->MarkDirty();
    }
    if (!mWidgetManager->IsDirty()) {
        return;
    }
    const uint64_t drawStartUs = mClock->NowUs();
    // Every widget still draws, in order; only the pixels of the marked part are written, and
    // where the window still shows the last frame only they go to the window.
    Rect area(0, 0, mWidth, mHeight);
    const bool partial = mDevice != nullptr && mScreenKept && mWidgetManager->GetDirtyArea(&area);
    const bool partialWindow = partial && mPlatform->KeepsLastFrame();
    mPlatform->BeginFrame(!partialWindow);
    Rect shown;
    if (mDevice != nullptr) {
        ImageSurface* screen = mDevice->GetScreenImage();
        if (partial) {
            mDevice->SetScreenLimit(area);
            ++mPartialDrawCount;
        }
        mDevice->ClearTarget(screen, area, Color(0, 0, 0, 255));
        Graphics g(screen);
        mGraphics = &g;
        {
            const WidgetWalk walk(mWalkDepth);
            mWidgetManager->DrawScreen(&g);
        }
        g.FlushBatch();
        mGraphics = nullptr;
        if (partial) {
            mDevice->ClearScreenLimit();
        }
        const PlatformRect view = mPlatform->GetViewport();
        mScreenKept = mDevice->PresentInto(view.x, view.y, view.width, view.height,
                                           partialWindow ? &area : nullptr, &shown);
    } else {
        const WidgetWalk walk(mWalkDepth);
        mWidgetManager->DrawScreen(nullptr);
    }
    const PlatformRect shownPart{shown.mX, shown.mY, shown.mWidth, shown.mHeight};
    if (!mPlatform->Present(partialWindow && mScreenKept ? &shownPart : nullptr)) {
        LogWarning("Presenting a frame failed.");
    }
    // Presenting is counted in: a software driver finishes its drawing there.
    mDrawTimes.Add(mClock->NowUs() - drawStartUs);
    const uint64_t now = mClock->NowMs();
    ++mDrawCount;
    mLastDrawMs = now;
    mNeedsRedraw = false;
    if (mFirstFrameMs < 0) {
        mFirstFrameMs = static_cast<int64_t>(now - mStartMs);
    }
    ProcessDeletionQueue();
}

void QuorAppBase::DoQuit() {
    if (mQuitDone) {
        return;
    }
    mQuitDone = true;
    mAbortLoading = true;
    if (mCaptured) {
        mPlatform->SetMouseCapture(false);
        mCaptured = false;
    }
    mPlatform->ShowWindow(false);
    if (!mWindowed) {
        mPlatform->SetDisplayMode(true, mStretchScreen);
    }
    mSettings.mInProgress = false;
    if (!mScreenSaverMode) {
        SaveSettings();
    }
}

void QuorAppBase::Shutdown() {
    if (mShutdownDone) {
        return;
    }
    mShutdownDone = true;
    // A translator the loader waits for would hold the quit up to its time bound.
    EffectTranslator::EndRunning();
    StopLoadingThread();
    if (mIdleWaiting) {
        SetMainThreadWakeUp(nullptr);
    }
    ReportFrameStatistics();
    SaveSettingsAtExit();
    mWidgetManager->FreePointerStates();
}

std::string QuorAppBase::ReportFrameStatistics() {
    const uint64_t now = mClock->NowMs();
    char line[320];
    std::snprintf(
        line, sizeof line,
        "Frame statistics: %llu updates, %llu frames in %llu ms, first frame after %lld ms, "
        "%llu idle waits, draw time per frame: mean %.2f ms, 95th percentile %.1f ms, max %.1f ms, "
        "%llu partial frames",
        static_cast<unsigned long long>(mUpdateCount - mReportedUpdates),
        static_cast<unsigned long long>(mDrawCount - mReportedDraws),
        static_cast<unsigned long long>(now - mReportStartMs),
        static_cast<long long>(mFirstFrameMs),
        static_cast<unsigned long long>(mIdleWaits - mReportedIdleWaits),
        mDrawTimes.MeanUs() / 1000.0, static_cast<double>(mDrawTimes.PercentileUs(0.95)) / 1000.0,
        static_cast<double>(mDrawTimes.MaxUs()) / 1000.0,
        static_cast<unsigned long long>(mPartialDrawCount - mReportedPartialDraws));
    DebugOutput("%s", line);
    mReportStartMs = now;
    mReportedUpdates = mUpdateCount;
    mReportedDraws = mDrawCount;
    mReportedPartialDraws = mPartialDrawCount;
    mReportedIdleWaits = mIdleWaits;
    mDrawTimes = FrameTimeStats();
    return line;
}

// --- loading -------------------------------------------------------------------------------

void QuorAppBase::StartLoadingThread() {
    if (mLoadingThread.joinable() || mLoadingFinished) {
        return;
    }
    mLoadingThread = std::thread([this] {
        LoadingThreadProc();
        mLoadingFinished = true;
    });
}

void QuorAppBase::StopLoadingThread() {
    mAbortLoading = true;
    {
        std::lock_guard<std::mutex> lock(mGroupLoadersLock);
        mGroupLoadersStopped = true;
        for (std::atomic<bool>* stop : mGroupLoaders) {
            stop->store(true);
        }
    }
    if (!mQuitMayLeaveLoader) {
        JoinLoadingThread();  // the loading screens join their own workers
        return;
    }
    // A loader stops at its next check of its flag, between files; a quit must not wait for a
    // decode of one huge file to end. Real time, not the game's clock: this bounds how long the
    // quit takes.
    auto busy = [this] {
        return (mLoadingThread.joinable() && !mLoadingFinished.load()) || mLoaderRunning.load() > 0;
    };
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kLoaderStopWaitMs);
    while (busy() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (busy()) {
        LeaveLoadingThreadRunning();
        return;
    }
    JoinLoadingThread();
}

void QuorAppBase::EnterGroupLoader(std::atomic<bool>* stop) {
    std::lock_guard<std::mutex> lock(mGroupLoadersLock);
    mLoaderRunning.fetch_add(1);
    mGroupLoaders.push_back(stop);
    if (mGroupLoadersStopped) {
        stop->store(true);
    }
}

void QuorAppBase::LeaveGroupLoader(std::atomic<bool>* stop) {
    std::lock_guard<std::mutex> lock(mGroupLoadersLock);
    mGroupLoaders.erase(std::remove(mGroupLoaders.begin(), mGroupLoaders.end(), stop),
                        mGroupLoaders.end());
    mLoaderRunning.fetch_sub(1);
}

void QuorAppBase::LeaveLoadingThreadRunning() {
    LogWarning("Quitting while the loader is still inside a file: the process ends without it");
    SaveSettingsAtExit();
    std::fflush(nullptr);
    std::_Exit(mExitCode);
}

void QuorAppBase::SaveSettingsAtExit() {
    mSettings.mInProgress = false;
    if (!mScreenSaverMode && mInitDone) {
        SaveSettings();
    }
}

void QuorAppBase::JoinLoadingThread() {
    if (mLoadingThread.joinable()) {
        mLoadingThread.join();
    }
}

void QuorAppBase::CheckLoadingProgress() {
    if (mLoadingFinished && !mLoadingCompleteDone) {
        JoinLoadingThread();
        mLoadingCompleteDone = true;
        // Developers and the start-up test read this line to know the tables are all in.
        DebugOutput("Loading finished: %d of %d steps after %lld ms", mLoadingCount.load(),
                    mLoadingTotal.load(), static_cast<long long>(mClock->NowMs() - mStartMs));
        LoadingThreadFinished();
        // The loading thread's decoding buffers were freed into its own malloc arena, which
        // keeps the pages; hand them back now that it is gone.
        malloc_trim(0);
    }
}

float QuorAppBase::GetLoadingThreadProgress() const {
    if (mLoadingFinished) {
        return 1.0f;
    }
    const int total = std::max(1, mLoadingTotal.load());
    return std::min(1.0f, static_cast<float>(mLoadingCount.load()) / static_cast<float>(total));
}

// --- dialogs and deletion ------------------------------------------------------------------

void QuorAppBase::AddDialog(Widget* widget) {
    P7_ASSERT_MAIN_THREAD("QuorAppBase::AddDialog");
    if (widget == nullptr || HasDialog(widget)) {
        return;
    }
    mDialogs.emplace_back(widget->mId, widget);
    mWidgetManager->AddWidget(widget);
    // The dialog itself decides whether it is modal; only menus can ask for it.
    const auto* menu = dynamic_cast<const MenuInterface*>(widget);
    if (menu != nullptr && menu->WantsBaseLayer() && widget->mManager != nullptr) {
        mWidgetManager->PushDefaultBaseLayer(widget);
    }
}

bool QuorAppBase::HasDialog(const Widget* widget) const {
    return std::any_of(mDialogs.begin(), mDialogs.end(),
                       [widget](const auto& entry) { return entry.second == widget; });
}

void QuorAppBase::KillDialogByPointer(Widget* widget) {
    P7_ASSERT_MAIN_THREAD("QuorAppBase::KillDialogByPointer");
    // Compare pointers only: a widget killed twice may already be gone.
    const auto it = std::find_if(mDialogs.begin(), mDialogs.end(),
                                 [widget](const auto& entry) { return entry.second == widget; });
    if (it == mDialogs.end()) {
        return;
    }
    mDialogs.erase(it);
    mWidgetManager->RemoveBaseLayer(widget);
    if (widget->mParent != nullptr) {
        widget->mParent->RemoveWidget(widget);
    }
    QueueWidgetDeletion(widget);
}

void QuorAppBase::QueueWidgetDeletion(Widget* widget) {
    if (widget == nullptr ||
        std::find(mDeletionQueue.begin(), mDeletionQueue.end(), widget) != mDeletionQueue.end()) {
        return;
    }
    mDeletionQueue.push_back(widget);
}

void QuorAppBase::ProcessDeletionQueue() {
    if (InWidgetWalk()) {
        return;
    }
    // Deleting a widget may queue its children, so go round until nothing is left.
    while (!mDeletionQueue.empty()) {
        std::vector<Widget*> batch;
        batch.swap(mDeletionQueue);
        for (Widget* widget : batch) {
            if (widget->mParent != nullptr) {
                continue;  // taken back into a tree after it was queued: alive again
            }
            std::erase_if(mDialogs, [widget](const auto& entry) { return entry.second == widget; });
            if (mRefusedCursorWidget == widget) {
                mRefusedCursorWidget = nullptr;
            }
            if (mCursorWidget == widget || mShownCursorWidget == widget) {
                mCursorWidget = mCursorWidget == widget ? nullptr : mCursorWidget;
                ApplyCursor();
            }
            delete widget;
        }
    }
}

// --- cursors, sound, screen ----------------------------------------------------------------

void QuorAppBase::SetCursor(int number) {
    mCursor = number;
    ApplyCursor();
}

void QuorAppBase::SetCursorImage(Widget* cursorWidget) {
    mCursorWidget = cursorWidget;
    ApplyCursor();
}

void QuorAppBase::SetCustomCursorsEnabled(bool enabled) {
    if (mCustomCursors != enabled) {
        mCustomCursors = enabled;
        mSettings.mCustomCursors = enabled;
        NoteSettingChanged();
    }
    ApplyCursor();
}

void QuorAppBase::ApplyCursor() {
    // The window system draws the custom pointer, so it keeps up with the pointer whatever the
    // frame rate; a widget without a picture yet leaves the system cursor up meanwhile.
    Widget* wanted =
        mCustomCursors && mCursorWidget != mRefusedCursorWidget ? mCursorWidget : nullptr;
    if (wanted != nullptr && wanted != mShownCursorWidget) {
        const CursorPicture picture = CursorPicture::FromWidget(*wanted);
        if (picture.Empty()) {
            wanted = nullptr;
        } else if (mPlatform->SetCursorImage(picture.GetPixels().data(), picture.GetWidth(),
                                             picture.GetHeight(), picture.GetHotX(),
                                             picture.GetHotY())) {
            mShownCursorWidget = wanted;
        } else {
            LogWarning(
                "The window system refused the %dx%d pointer picture; the system "
                "pointer stays.",
                picture.GetWidth(), picture.GetHeight());
            mRefusedCursorWidget = wanted;
            wanted = nullptr;
        }
    }
    if (wanted == nullptr && mShownCursorWidget != nullptr) {
        mShownCursorWidget = nullptr;
        mPlatform->SetCursorImage(nullptr, 0, 0, 0, 0);
    }
    mPlatform->SetSystemCursor(mCursor);
}

void QuorAppBase::PlaySoundEffect(int soundId, int minTicks, double volume) {
    (void)minTicks, (void)volume;
    PlaySample(soundId);
}

CommandAnswer QuorAppBase::HandleScriptCommand(const AnimationCommand& command,
                                               AnimationWidget* widget) {
    (void)command, (void)widget;
    return CommandAnswer::kNotHandled;
}

void QuorAppBase::PlaySample(int soundId) {
    if (mAudio != nullptr && !mMuted) {
        mAudio->PlaySample(soundId);
    }
}

void QuorAppBase::SetSfxVolume(double volume) {
    mSettings.mSfxVolume = Clamp01(volume);
    NoteSettingChanged();
    if (mAudio != nullptr) {
        mAudio->ApplySfxVolume(EffectiveVolume(mSettings.mSfxVolume));
    }
}

double QuorAppBase::GetChannelVolume(const std::string& channel) const {
    const auto it = mSettings.mChannelVolumes.find(channel);
    return it == mSettings.mChannelVolumes.end() ? 0.0 : it->second;
}

void QuorAppBase::SetChannelVolume(const std::string& channel, double volume) {
    mSettings.mChannelVolumes[channel] = Clamp01(volume);
    NoteSettingChanged();
    if (mAudio != nullptr) {
        mAudio->ApplyChannelVolume(channel, EffectiveVolume(mSettings.mChannelVolumes[channel]));
    }
}

void QuorAppBase::SetMuted(bool muted) {
    mMuted = muted;
    SetAudioControl(mAudio);
}

void QuorAppBase::SetAudioControl(AppAudioControl* audio) {
    mAudio = audio;
    if (mAudio == nullptr) {
        return;
    }
    mAudio->ApplySfxVolume(EffectiveVolume(mSettings.mSfxVolume));
    for (const auto& [channel, volume] : mSettings.mChannelVolumes) {
        mAudio->ApplyChannelVolume(channel, EffectiveVolume(volume));
    }
}

void QuorAppBase::SetMouseSpeed(int speed) {
    mSettings.mMouseSpeed = std::clamp(speed, 1, 20);
    NoteSettingChanged();
    ApplyMouseSpeed();
}

void QuorAppBase::ApplyMouseSpeed() {
    // The speed is chosen only where its slider shows, in full screen; a window keeps the
    // desktop's own speed, so a choice made for full screen never strands a windowed player
    // with a pointer they have no slider to undo.
    constexpr int kDesktopSpeed = 10;
    mPlatform->SetMouseSpeed(mWindowed ? kDesktopSpeed : mSettings.mMouseSpeed);
}

void QuorAppBase::SwitchScreenMode(bool windowed, bool force) {
    if (windowed && mForbidWindowed) {
        windowed = false;
    }
    if (windowed == mWindowed && !force) {
        return;
    }
    if (!mPlatform->SetDisplayMode(windowed, mStretchScreen)) {
        LogWarning("The display refused the %s mode.", windowed ? "windowed" : "full-screen");
        return;
    }
    mWindowed = windowed;
    mSettings.mWindowed = windowed;
    NoteSettingChanged();
    ApplyVSyncPacing();
    ApplyMouseSpeed();
    UpdateAreaRects();
    mNeedsRedraw = true;
}

void QuorAppBase::SetStretchScreen(bool stretch) {
    mStretchScreen = stretch;
    if (mSettings.mStretchScreen != stretch) {
        mSettings.mStretchScreen = stretch;
        NoteSettingChanged();
    }
    if (!mWindowed) {
        mPlatform->SetDisplayMode(false, stretch);
        UpdateAreaRects();
        mNeedsRedraw = true;
    }
}

void QuorAppBase::UpdateAreaRects() {
    const PlatformRect view = mPlatform->GetViewport();
    const Rect drawRect(0, 0, mWidth, mHeight);
    const Rect mouseRect = view.width > 0 && view.height > 0
                               ? Rect(view.x, view.y, view.width, view.height)
                               : drawRect;
    mWidgetManager->SetAreaRects(drawRect, mouseRect);
}

std::unique_ptr<ImageSurface> QuorAppBase::LoadImageSurface(const std::string& name,
                                                            const std::string& path, uint32_t flags,
                                                            int columns, int rows) {
    return ::LoadImageSurface(name, path, flags, columns, rows);
}

std::unique_ptr<ImageSurface> QuorAppBase::CopyImage(const Image* image) {
    return ::CopyImage(image);
}

std::string QuorAppBase::GetClipboard() {
    return mPlatform->GetClipboardText();
}

void QuorAppBase::CopyToClipboard(const std::string& text) {
    mPlatform->SetClipboardText(text);
}

void QuorAppBase::ShowFatalError(const std::string& text) {
    WriteLogLine("FATAL ERROR: " + text);
    if (mScreenSaverMode) {
        // No box may pop up over a screen saver; the text is kept for the player instead.
        const std::string path = GetAppDataFolder() + "ScrError.txt";
        // Read only when it is a plain file (a FIFO in its place must not stop the game here);
        // one that can't be read is never overwritten.
        std::string old;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 ||
            PakInterfaceBase::Get()->ReadWholeFile(path, &old)) {
            WriteBufferToFile(path, old + text + "\n");
        }
        std::fprintf(stderr, "FATAL ERROR: %s\n", text.c_str());
        return;
    }
    mPlatform->ShowMessageBox("FATAL ERROR", text);
}

bool QuorAppBase::ShowErrorOrLog(const std::string& caption, const std::string& text) {
    WriteLogLine(caption + ": " + text);
    return mPlatform->ShowMessageBox(caption, text);
}

void QuorAppBase::SetPauseCount(int count) {
    if (count == mPauseCount) {
        return;
    }
    mPauseCount = count;
    PauseCountChanged();
}

// --- input ---------------------------------------------------------------------------------

PointerState* QuorAppBase::FindMouseRecord(int* x, int* y, Widget** hit, float* localX,
                                           float* localY) {
    mWidgetManager->RemapMousePosition(x, y);
    return mWidgetManager->FindPointerRecord(*x, *y, kMouseSourceKey, hit, localX, localY);
}

void QuorAppBase::OnMouseMove(int x, int y) {
    const WidgetWalk walk(mWalkDepth);
    Widget* hit = nullptr;
    float localX = 0.0f;
    float localY = 0.0f;
    PointerState* record = FindMouseRecord(&x, &y, &hit, &localX, &localY);
    if (record != nullptr) {
        mWidgetManager->MouseMoveEvent(record, x, y, hit, localX, localY);
    }
}

void QuorAppBase::OnMouseDown(int x, int y, int clickCount) {
    const WidgetWalk walk(mWalkDepth);
    PointerState* record = FindMouseRecord(&x, &y);
    if (!mCaptured) {
        mPlatform->SetMouseCapture(true);
        mCaptured = true;
    }
    mHeldButtons |= ButtonBit(clickCount);
    mWidgetManager->NotifyTrackedWidgetsA(clickCount);
    if (record != nullptr) {
        mWidgetManager->MouseButtonDown(record, clickCount, x, y);
    }
    mWidgetManager->NotifyTrackedWidgetsB(clickCount);
}

void QuorAppBase::OnMouseUp(int x, int y, int clickCount) {
    mHeldButtons &= ~ButtonBit(clickCount);
    bool stillHeld = mHeldButtons != 0;
    {
        const WidgetWalk walk(mWalkDepth);
        PointerState* record = FindMouseRecord(&x, &y);
        if (record != nullptr) {
            mWidgetManager->MouseButtonUp(record, x, y, clickCount);
            stillHeld = record->mHeldButtons != 0;
        }
    }
    if (mCaptured && !stillHeld) {
        mPlatform->SetMouseCapture(false);
        mCaptured = false;
    }
}

void QuorAppBase::OnMouseWheel(int delta) {
    const WidgetWalk walk(mWalkDepth);
    mWidgetManager->MouseWheel(mWidgetManager->GetOrCreatePointerState(0), delta / kWheelUnit);
}

void QuorAppBase::OnMouseLeave() {
    mWidgetManager->ClearPointerFlags();
}

void QuorAppBase::OnCaptureLost() {
    mCaptured = false;
    if (mHeldButtons != 0) {
        mHeldButtons = 0;
        const WidgetWalk walk(mWalkDepth);
        mWidgetManager->DropPointerWidgets();
    }
}

void QuorAppBase::OnKeyDown(int virtualKey) {
    const WidgetWalk walk(mWalkDepth);
    mWidgetManager->KeyDown(virtualKey);
}

void QuorAppBase::OnKeyUp(int virtualKey) {
    const WidgetWalk walk(mWalkDepth);
    mWidgetManager->KeyUp(virtualKey);
}

void QuorAppBase::OnKeyChar(char c) {
    const WidgetWalk walk(mWalkDepth);
    mWidgetManager->KeyChar(c);
}

void QuorAppBase::OnFocusGained() {
    {
        const WidgetWalk walk(mWalkDepth);
        mWidgetManager->GotFocus();
    }
    mWindowFocused = true;
    ApplyWindowPause();
}

void QuorAppBase::OnFocusLost() {
    {
        const WidgetWalk walk(mWalkDepth);
        mWidgetManager->LostFocus();
    }
    mWindowFocused = false;
    ApplyWindowPause();
}

void QuorAppBase::OnMinimized(bool minimized) {
    mWindowMinimized = minimized;
    ApplyWindowPause();
}

void QuorAppBase::ApplyWindowPause() {
    // A screen saver runs without the keyboard focus by nature: it never pauses for it.
    const bool inactive = !mScreenSaverMode && (!mWindowFocused || mWindowMinimized);
    if (inactive == mPausedByWindow) {
        return;
    }
    mPausedByWindow = inactive;
    const WidgetWalk walk(mWalkDepth);
    SetPauseCount(mPauseCount + (inactive ? 1 : -1));
}

void QuorAppBase::OnCloseRequested() {
    Quit();
}

void QuorAppBase::OnWindowResized() {
    UpdateAreaRects();
    mNeedsRedraw = true;
}
