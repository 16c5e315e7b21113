#pragma once
// Which thread is the main thread, for the lookups that behave differently on loader threads
// (named constants never insert there; global variables are main-thread data), and a queue
// through which other threads hand work to the main thread.

#include <functional>

// True on the main thread: the thread that started the process, unless SetMainThread moved it.
bool IsMainThread();
// Marks the calling thread as the main thread (for programs and tests whose static
// initialisation runs elsewhere).
void SetMainThread();

// Queues work for the main thread; any thread. Tasks run in the order posted, on the main
// thread's next RunMainThreadTasks (the application runs them at the start of every update).
void PostToMainThread(std::function<void()> task);
// Runs every task queued so far, including tasks that these tasks post. Main thread.
void RunMainThreadTasks();
// Whether tasks wait to run. Any thread.
bool HasMainThreadTasks();
// Called (from the posting thread) after each PostToMainThread, so a main thread asleep until
// its next event wakes for the task; null removes it. The application installs it.
void SetMainThreadWakeUp(std::function<void()> wakeUp);
