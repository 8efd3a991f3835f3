// The two diagnostic logs: the main trace (all components) and the request
// trace (the SNMP layer). This is the writing side, which is portable: a
// trace that is off costs one flag test; a trace that is on formats each call
// into a 512-byte line buffer and writes prefix and message under its own
// lock, then flushes, so the log survives a crash.
//
// Opening the files (registry switches, file names, sharing) is the Windows
// side's job (TraceFiles.h); it hands an open sink to Start. Tests hand over a
// memory sink.
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#if defined(__GNUC__)
#define LUMET_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define LUMET_PRINTF(fmt, args)
#endif

// Where an open trace's bytes go.
class ITraceSink {
public:
    virtual ~ITraceSink() = default;
    // False when the bytes could not be written.
    virtual bool Write(const char* a_pch, std::size_t a_n) = 0;
    virtual void Flush() = 0;
};

class CTraceLog {
public:
    enum class Kind { Main, Request };
    static constexpr std::size_t kLineBuffer = 512;

    explicit CTraceLog(Kind a_kind) : m_kind(a_kind) {}
    CTraceLog(const CTraceLog&) = delete;
    CTraceLog& operator=(const CTraceLog&) = delete;

    // Takes the sink, appends the opening line "@y/m/d, h:mm.ss" and switches
    // the trace on. Returns false (trace stays off) when the sink refuses
    // the opening line.
    bool Start(std::unique_ptr<ITraceSink> a_sink);
    // Switches the trace off and releases the sink; nothing when off.
    void Stop();
    bool IsOn() const { return m_bOn.load(std::memory_order_relaxed); }

    void Write(const char* a_format, ...) LUMET_PRINTF(2, 3);
    void WriteV(const char* a_format, std::va_list a_args);

private:
    std::string Prefix() const;

    const Kind m_kind;
    std::atomic<bool> m_bOn{false};
    std::mutex m_lock;
    std::unique_ptr<ITraceSink> m_sink;
};

CTraceLog& MainTraceLog();
CTraceLog& MibTraceLog();

// The main trace and the request trace, printf-style.
void Trace(const char* a_format, ...) LUMET_PRINTF(1, 2);
void TraceMib(const char* a_format, ...) LUMET_PRINTF(1, 2);

// The main trace's prefix names the calling thread's thread object by its
// handle; the thread layer installs the function that tells it. Until then
// OpenMainTrace makes the prefix show the calling thread's id (natively it
// shows 0).
using TraceThreadHandleFn = std::uint32_t (*)();
void SetTraceThreadHandleSource(TraceThreadHandleFn a_fn);
// Installs a_fn only when no source is installed yet; the Windows side uses
// it to supply a default without overriding the thread layer's source.
void SetDefaultTraceThreadHandleSource(TraceThreadHandleFn a_fn);

// Formats one message the way a trace writes it: cut to fit the line buffer
// (keeping a final line feed), and a final line feed that has no carriage
// return before it written as CR LF. Exposed for tests.
std::string FormatTraceMessage(const char* a_format, std::va_list a_args);
