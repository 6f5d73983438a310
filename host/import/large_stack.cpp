// A thread with a large stack, made with the POSIX thread attributes (the
// standard library's threads cannot choose their stack size).
#include "host/import/large_stack.h"

#include <pthread.h>

#include <exception>

namespace host::import {
namespace {

struct Job {
  const std::function<void()>* work = nullptr;
  std::exception_ptr failure;
};

void* RunJob(void* argument) {
  Job& job = *static_cast<Job*>(argument);
  try {
    (*job.work)();
  } catch (...) {
    job.failure = std::current_exception();
  }
  return nullptr;
}

}  // namespace

void RunOnLargeStack(const std::function<void()>& work, size_t stackBytes) {
  Job job;
  job.work = &work;
  pthread_attr_t attributes;
  bool started = false;
  pthread_t thread;
  if (pthread_attr_init(&attributes) == 0) {
    started = pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
              pthread_create(&thread, &attributes, &RunJob, &job) == 0;
    pthread_attr_destroy(&attributes);
  }
  if (!started) {
    work();
    return;
  }
  pthread_join(thread, nullptr);
  if (job.failure) std::rethrow_exception(job.failure);
}

}  // namespace host::import
