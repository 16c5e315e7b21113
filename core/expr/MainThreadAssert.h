#pragma once
// A check at the top of operations whose data belongs to the main thread (the widget tree, the
// dialog table, the sound player): calling one from a loader or worker thread is a programmer
// error that would race with the main loop, so it stops the program with a message naming the
// operation. Compiled out with NDEBUG, like assert.

#ifdef NDEBUG
#define P7_ASSERT_MAIN_THREAD(what) ((void)0)
#else
#define P7_ASSERT_MAIN_THREAD(what) AssertMainThread(what)
#endif

// Aborts with "<what> called off the main thread" unless IsMainThread(). Any thread.
void AssertMainThread(const char* what);
