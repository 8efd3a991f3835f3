// A trace sink that keeps what is written in a string, so that tests can
// read back the exact bytes a trace writes.
#pragma once

#include <string>

#include "Trace.h"

class CMemoryTraceSink : public ITraceSink {
public:
    explicit CMemoryTraceSink(std::string& a_out) : m_out(a_out) {}
    bool Write(const char* a_pch, std::size_t a_n) override
    {
        m_out.append(a_pch, a_n);
        return true;
    }
    void Flush() override { ++m_nFlushes; }
    int Flushes() const { return m_nFlushes; }

private:
    std::string& m_out;
    int m_nFlushes = 0;
};
