// The process's helper threads for work that splits into independent parts
// (compressing a PNG's blocks). One pool, sized to the cores the process
// may run on, serves every conversion of the process.
//
// A conversion counts as one busy thread for as long as it runs
// (`ConversionSlot`); helpers take parts only while conversions and busy
// helpers together stay below the limit, the number of cores unless the
// program sets a lower one (`quorvant-convert -j N`). So one conversion
// alone gets every core, and N conversions at once on N cores get no
// helpers and run as they did before there were any.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

namespace quorvant::engine {

class WorkerPool {
 public:
  // A pool of `cores` cores: at most cores − 1 helper threads, started when
  // first needed.
  explicit WorkerPool(unsigned cores);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // The pool every conversion of this process shares, sized to the cores
  // the process may run on.
  static WorkerPool& shared();

  // Runs part(0) … part(count − 1), on the calling thread and on helpers
  // that are free; returns when every part is done. A part that throws
  // (out of memory, say) fails the run: the first exception is thrown here,
  // on the calling thread, once every part has ended.
  void run(size_t count, const std::function<void(size_t)>& part);

  unsigned cores() const { return cores_; }
  // How many helpers could take a part of a batch now. Only a guide for
  // splitting work: others may take them first, and the caller of run()
  // then does the parts itself.
  unsigned idle_helpers();
  // At most `threads` threads busy at once, conversions included (at least
  // 1, at most the cores).
  void limit_busy_threads(unsigned threads);

  // Marks the calling thread's conversion busy while it lives.
  class ConversionSlot {
   public:
    explicit ConversionSlot(WorkerPool& pool);
    ~ConversionSlot();
    ConversionSlot(const ConversionSlot&) = delete;
    ConversionSlot& operator=(const ConversionSlot&) = delete;

   private:
    WorkerPool& pool_;
  };

  // Threads a library may start of its own for the calling conversion (an
  // AV1 or HEVC coder, libwebp's second thread): up to `wanted`, as many
  // as the limit leaves free, each counted as a busy helper while the
  // lease lives, so the library's threads come out of the one budget.
  class ThreadLease {
   public:
    ThreadLease(WorkerPool& pool, unsigned wanted);
    ~ThreadLease();
    ThreadLease(const ThreadLease&) = delete;
    ThreadLease& operator=(const ThreadLease&) = delete;
    // The threads granted besides the calling one (0 when none is free).
    unsigned extra_threads() const { return granted_; }

   private:
    WorkerPool& pool_;
    unsigned granted_ = 0;
  };

 private:
  struct Batch {
    const std::function<void(size_t)>* part;
    size_t count;
    size_t next = 0;      // the first part nobody has taken
    size_t finished = 0;  // parts done
    std::exception_ptr failure;  // what the first part that failed threw
  };

  // Runs one part of `batch`, with the lock held on entry and on return.
  void run_part(Batch& batch, size_t index, std::unique_lock<std::mutex>& lock);

  void help();
  // Threads that may start working now, within the limit; with the lock held.
  unsigned free_threads() const;
  // Takes the next part of any batch, when a core is free for a helper.
  Batch* claim(size_t& index);
  void start_helpers();

  const unsigned cores_;
  std::mutex mutex_;
  std::condition_variable work_or_stop_;
  std::condition_variable batch_done_;
  std::list<Batch> batches_;
  unsigned busy_limit_;
  unsigned conversions_ = 0;
  unsigned busy_helpers_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> helpers_;
};

// The number of cores this process may run on (its CPU affinity), at least 1.
unsigned usable_cores();

}  // namespace quorvant::engine
