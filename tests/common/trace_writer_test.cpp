#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "MemoryTraceSink.h"
#include "Trace.h"

namespace {

std::string Formatted(const char* a_format, ...)
{
    std::va_list args;
    va_start(args, a_format);
    std::string s = FormatTraceMessage(a_format, args);
    va_end(args);
    return s;
}

TEST(TraceWriter, LineEndRule)
{
    EXPECT_EQ(Formatted("a %d\n", 1), "a 1\r\n");
    EXPECT_EQ(Formatted("a\r\n"), "a\r\n");
    EXPECT_EQ(Formatted("no end"), "no end");
    EXPECT_EQ(Formatted("\n"), "\r\n");
    EXPECT_EQ(Formatted("mid\nend"), "mid\nend");
}

TEST(TraceWriter, LongMessageIsCutButKeepsItsLineEnd)
{
    std::string big(2000, 'x');
    std::string cut = Formatted("%s\n", big.c_str());
    EXPECT_LT(cut.size(), CTraceLog::kLineBuffer);
    EXPECT_EQ(cut.substr(cut.size() - 2), "\r\n");
    std::string cutNoEnd = Formatted("%s", big.c_str());
    EXPECT_LT(cutNoEnd.size(), CTraceLog::kLineBuffer);
    EXPECT_EQ(cutNoEnd.back(), 'x');
}

TEST(TraceWriter, OffWritesNothingAndOpeningLineComesFirst)
{
    CTraceLog log(CTraceLog::Kind::Request);
    log.Write("lost\n");
    std::string out;
    ASSERT_TRUE(log.Start(std::make_unique<CMemoryTraceSink>(out)));
    log.Write("first ");
    log.Write("second %s\n", "x");
    log.Stop();
    log.Write("after stop\n");
    EXPECT_FALSE(log.IsOn());

    const std::regex expected(
        "@\\d{4}/\\d{1,2}/\\d{1,2}, \\d{1,2}:\\d\\d\\.\\d\\d\r\n"
        "\\d{4}/\\d{1,2}/\\d{1,2}, \\d{1,2}:\\d\\d\\.\\d\\d : first "
        "\\d{4}/\\d{1,2}/\\d{1,2}, \\d{1,2}:\\d\\d\\.\\d\\d : second x\r\n");
    EXPECT_TRUE(std::regex_match(out, expected)) << out;
}

TEST(TraceWriter, MainPrefixNamesTheThreadObject)
{
    SetTraceThreadHandleSource([]() -> std::uint32_t { return 4242; });
    CTraceLog log(CTraceLog::Kind::Main);
    std::string out;
    ASSERT_TRUE(log.Start(std::make_unique<CMemoryTraceSink>(out)));
    log.Write("CThreadPolling::loadStatus(), id: %d, end\n", 7);
    log.Stop();
    SetTraceThreadHandleSource(nullptr);
    const std::regex line("m_hThread=        4242, \\d{4}/\\d{1,2}/\\d{1,2}, \\d{1,2}:\\d\\d\\.\\d\\d : "
                          "CThreadPolling::loadStatus\\(\\), id: 7, end\r\n");
    std::string second = out.substr(out.find("\r\n") + 2);
    EXPECT_TRUE(std::regex_match(second, line)) << second;
}

TEST(TraceWriter, LinesOfSeveralThreadsNeverInterleave)
{
    CTraceLog log(CTraceLog::Kind::Request);
    std::string out;
    ASSERT_TRUE(log.Start(std::make_unique<CMemoryTraceSink>(out)));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&log, t] {
            for (int i = 0; i < 200; ++i)
                log.Write("thread %d line %d ----------------------------------------\n", t, i);
        });
    for (auto& th : threads)
        th.join();
    log.Stop();

    std::istringstream lines(out.substr(out.find("\r\n") + 2));
    const std::regex line("[^ ]+ [^ ]+ : thread \\d line \\d+ -+\r");
    int count = 0;
    for (std::string l; std::getline(lines, l); ++count)
        ASSERT_TRUE(std::regex_match(l, line)) << l;
    EXPECT_EQ(count, 800);
}

} // namespace
