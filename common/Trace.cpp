#include "Trace.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

std::atomic<TraceThreadHandleFn> g_threadHandleSource{nullptr};

std::tm LocalNow()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

} // namespace

void SetTraceThreadHandleSource(TraceThreadHandleFn a_fn)
{
    g_threadHandleSource.store(a_fn);
}

void SetDefaultTraceThreadHandleSource(TraceThreadHandleFn a_fn)
{
    TraceThreadHandleFn none = nullptr;
    g_threadHandleSource.compare_exchange_strong(none, a_fn);
}

std::string FormatTraceMessage(const char* a_format, std::va_list a_args)
{
    // Room for the message, a CR inserted before its final LF, and the zero.
    char buffer[CTraceLog::kLineBuffer];
    const std::size_t nRoom = sizeof buffer - 1;
    int n = std::vsnprintf(buffer, nRoom, a_format, a_args);
    if (n < 0)
        return {};
    std::size_t len = static_cast<std::size_t>(n);
    if (len >= nRoom) {
        // Cut: keep the line end the message asked for, so the next line of
        // the log still starts on a line of its own.
        len = nRoom - 1;
        std::size_t fmtLen = std::strlen(a_format);
        if (fmtLen && a_format[fmtLen - 1] == '\n')
            buffer[len - 1] = '\n';
    }
    std::string text(buffer, len);
    if (!text.empty() && text.back() == '\n' && (text.size() < 2 || text[text.size() - 2] != '\r'))
        text.insert(text.size() - 1, 1, '\r');
    return text;
}

bool CTraceLog::Start(std::unique_ptr<ITraceSink> a_sink)
{
    if (!a_sink)
        return false;
    std::lock_guard<std::mutex> hold(m_lock);
    std::tm t = LocalNow();
    char line[64];
    int n = std::snprintf(line, sizeof line, "@%d/%d/%d, %d:%02d.%02d\r\n", t.tm_year + 1900,
                          t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    if (!a_sink->Write(line, static_cast<std::size_t>(n)))
        return false;
    a_sink->Flush();
    m_sink = std::move(a_sink);
    m_bOn.store(true);
    return true;
}

void CTraceLog::Stop()
{
    if (!IsOn())
        return;
    std::lock_guard<std::mutex> hold(m_lock);
    m_bOn.store(false);
    m_sink.reset();
}

std::string CTraceLog::Prefix() const
{
    std::tm t = LocalNow();
    char prefix[96];
    if (m_kind == Kind::Main) {
        TraceThreadHandleFn fn = g_threadHandleSource.load();
        unsigned handle = fn ? fn() : 0;
        std::snprintf(prefix, sizeof prefix, "m_hThread=%12u, %d/%d/%d, %d:%02d.%02d : ", handle,
                      t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    } else {
        std::snprintf(prefix, sizeof prefix, "%d/%d/%d, %d:%02d.%02d : ", t.tm_year + 1900,
                      t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    }
    return prefix;
}

void CTraceLog::WriteV(const char* a_format, std::va_list a_args)
{
    if (!IsOn())
        return;
    std::string message = FormatTraceMessage(a_format, a_args);
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_sink)
        return;
    std::string line = Prefix() + message;
    m_sink->Write(line.data(), line.size());
    m_sink->Flush();
}

void CTraceLog::Write(const char* a_format, ...)
{
    if (!IsOn())
        return;
    std::va_list args;
    va_start(args, a_format);
    WriteV(a_format, args);
    va_end(args);
}

CTraceLog& MainTraceLog()
{
    static CTraceLog log(CTraceLog::Kind::Main);
    return log;
}

CTraceLog& MibTraceLog()
{
    static CTraceLog log(CTraceLog::Kind::Request);
    return log;
}

void Trace(const char* a_format, ...)
{
    CTraceLog& log = MainTraceLog();
    if (!log.IsOn())
        return;
    std::va_list args;
    va_start(args, a_format);
    log.WriteV(a_format, args);
    va_end(args);
}

void TraceMib(const char* a_format, ...)
{
    CTraceLog& log = MibTraceLog();
    if (!log.IsOn())
        return;
    std::va_list args;
    va_start(args, a_format);
    log.WriteV(a_format, args);
    va_end(args);
}
