// Alert texts under each program's rules, with the programs' own string
// tables.
#include <gtest/gtest.h>

#include <set>

#include "MapwickStrings.h"
#include "PrinterAlert.h"
#include "StringTable.h"
#include "VigiloStrings.h"

namespace {

CPrinterAlert Alert(std::int32_t a_nGroup, std::int32_t a_nCode, std::int32_t a_nSeverity = severityWarning,
                    std::int32_t a_nTraining = 1, const char* a_pszName = "")
{
    CPrinterAlert alert;
    alert.m_nGroup = a_nGroup;
    alert.m_nCode = a_nCode;
    alert.m_nSeverity = a_nSeverity;
    alert.m_nTrainingLevel = a_nTraining;
    alert.m_strComponentName = a_pszName;
    return alert;
}

struct TextCase {
    std::int32_t group, code, severity, training;
    const char* name;
    const char* vigilo;
    const char* mapwick;
    const char* trap;  // nullptr: as for Mapwick
};

const char* const kError = "An error occurred.";
const char* const kComm = "A communication error has occurred.";
const char* const kService = "A servicecall error has occurred.";

const TextCase kCases[] = {
    // The no-answer alert and the special severities.
    {1, 1, 255, 1, "", kComm, kComm, kError},
    {8, 808, 255, 1, "Tray 1", "Out of paper.(Tray 1)", kComm, "Out of paper.(Tray 1)"},
    {7, 1, 255, 1, "", "", kComm, "Alert Group error, group: 7, code: 1"},
    {8, 808, 3, 5, "Tray 1", kService, kService, "Out of paper.(Tray 1)"},
    {17, 1, 3, 5, "", kService, kService, "An error occurred with the console light."},
    {1, 5, 4, 5, "", "Interlock is open.", "Interlock is open.", nullptr},  // warning: no service call
    // General groups: every code has a text.
    {1, 999, 4, 1, "", kError, kError, nullptr},
    {3, 4, 4, 1, "", "Cover is closed.", "Cover is closed.", nullptr},
    {4, 8, 3, 1, "", "Paper is jammed.", "Paper is jammed.", nullptr},
    {14, 7, 1, 1, "", "Printer configuration changed.", "Printer configuration changed.", nullptr},
    {14, 0, 1, 1, "", kError, kError, nullptr},
    // General printer.
    {5, 501, 3, 1, "", "Cover is open.", "Cover is open.", nullptr},
    {5, 502, 1, 1, "", "Cover is closed.", "Cover is closed.", nullptr},
    {5, 504, 3, 1, "", kError, kError, nullptr},
    {5, 6, 1, 1, "", "Interlock is closed.", "Interlock is closed.", nullptr},
    {5, 999, 4, 1, "", "", kError, nullptr},
    {6, 3, 3, 1, "", "Cover is open.", "Cover is open.", nullptr},
    {6, 501, 3, 1, "", "", kError, nullptr},
    {12, 2, 4, 1, "", kError, kError, nullptr},
    // Inputs: the name right after the text; Vigilo shows "()" without one.
    {8, 808, 3, 1, "Tray 1", "Out of paper.(Tray 1)", "Out of paper.(Tray 1)", nullptr},
    {8, 808, 3, 1, "", "Out of paper.()", "Out of paper.", nullptr},
    {8, 7, 1, 1, "MP", "Input configuration changed(MP)", "Input configuration changed(MP)", nullptr},
    {8, 803, 1, 1, "MP", " (MP)", " (MP)", nullptr},
    {8, 999, 4, 1, "Tray 2", "(Tray 2)", "An error occurred at the input.(Tray 2)", nullptr},
    {8, 999, 4, 1, "", "()", "An error occurred at the input.", nullptr},
    // Outputs.
    {9, 903, 3, 1, "Face down", "Output tray is full.(Face down)", "Output tray is full.(Face down)", nullptr},
    {9, 5, 3, 1, "Bin", "Output interlock is open.(Bin)", "Output interlock is open.(Bin)", nullptr},
    {9, 999, 4, 1, "", "()", "An error occurred at the output.", nullptr},
    // Marker: codes 1 and 2 differ between the programs.
    {10, 1, 3, 1, "", "An error occurred in the printer.", kError, nullptr},
    {10, 2, 3, 1, "", "An error occurred in the printer.", kError, nullptr},
    {10, 8, 3, 1, "", "Paper is jammed.", "Paper is jammed.", nullptr},
    {10, 1001, 3, 1, "", "Fuser under temperature error.", "Fuser under temperature error.", nullptr},
    {10, 1002, 3, 1, "", "Fuser over temperature error.", "Fuser over temperature error.", nullptr},
    {10, 999, 3, 1, "", "", kError, nullptr},
    // Supplies: the name only for the "almost" codes 1101 to 1105.
    {11, 1101, 4, 1, "Black toner", "Almost out of toner.(Black toner)", "Almost out of toner.(Black toner)", nullptr},
    {11, 1105, 4, 1, "", "Waste ink receptacle almost full.()", "Waste ink receptacle almost full.", nullptr},
    {11, 1106, 3, 1, "Waste box", "Waste toner receptacle is full.", "Waste toner receptacle is full.", nullptr},
    {11, 1111, 3, 1, "Dev", "Developer expired.", "Developer expired.", nullptr},
    {11, 901, 3, 1, "Toner", "Out of toner.", "Out of toner.", nullptr},
    {11, 1, 3, 1, "", "An error occurred in the printer.", kError, nullptr},
    {11, 2, 3, 1, "", "An error occurred in the printer.", kError, nullptr},
    {11, 4, 1, 1, "", "Cover is closed.", "Cover is closed.", nullptr},
    {11, 1113, 1, 1, "Drum", "", "", nullptr},
    {11, 999, 4, 1, "Drum", "", kError, nullptr},
    // Media path.
    {13, 1301, 3, 1, "", "Paper feed failed.", "Paper feed failed.", nullptr},
    {13, 1303, 4, 1, "", "Tray is full.", "Tray is full.", nullptr},
    {13, 999, 4, 1, "", "", kError, nullptr},
    // Interpreter.
    {15, 1, 1, 1, "", kError, kError, nullptr},
    {15, 7, 1, 1, "", "Printer configuration changed.", "Printer configuration changed.", nullptr},
    {15, 1501, 1, 1, "", "Memory increased.", "Memory increased.", nullptr},
    {15, 1504, 1, 1, "", "Cartridge deleted.", "Cartridge deleted.", nullptr},
    {15, 1506, 1, 1, "", "Printer configuration changed.", "Printer configuration changed.", nullptr},
    {15, 3, 1, 1, "", "", kError, nullptr},
    // Console: one text per group, 20908 spelled differently.
    {16, 12345, 4, 1, "", "An error occurred with the console.", "An error occurred with the console.", nullptr},
    {17, 1, 4, 1, "", "Anerror occurred with the console light.", "An error occurred with the console light.", nullptr},
    // Groups without texts.
    {7, 3, 4, 1, "", "", "Alert Group error, group: 7, code: 3", nullptr},
    {2, 501, 3, 1, "", "", "Alert Group error, group: 2, code: 501", nullptr},
    {0, 1, 4, 1, "", "", "Alert Group error, group: 0, code: 1", nullptr},
    {18, 1, 4, 1, "", "", "Alert Group error, group: 18, code: 1", nullptr},
    {-1, -5, 4, 1, "", "", "Alert Group error, group: -1, code: -5", nullptr},
};

TEST(AlertText, EachProgramsRulesAndWording)
{
    for (const TextCase& c : kCases) {
        CPrinterAlert alert = Alert(c.group, c.code, c.severity, c.training, c.name);
        SCOPED_TRACE(testing::Message() << "group " << c.group << " code " << c.code << " severity "
                                        << c.severity << " training " << c.training << " name '" << c.name
                                        << "'");
        EXPECT_EQ(AlertText(alert, rulesVigilo, VigiloStringTable()), c.vigilo);
        EXPECT_EQ(AlertText(alert, rulesMapwick, MapwickStringTable()), c.mapwick);
        EXPECT_EQ(AlertText(alert, rulesMapwickTrap, MapwickStringTable()), c.trap ? c.trap : c.mapwick);
    }
}

// Records the ids asked for that the table does not have.
class CMissingIds : public IStringTable {
public:
    explicit CMissingIds(const CStringTableStatic& a_table) : m_table(a_table) {}
    std::string Load(unsigned a_nId) const override
    {
        if (!m_table.Has(a_nId))
            m_missing.insert(a_nId);
        return m_table.Load(a_nId);
    }
    const CStringTableStatic& m_table;
    mutable std::set<unsigned> m_missing;
};

// Every text an alert can ask for is in the program's table.
TEST(AlertText, EveryIdAskedForIsInTheProgramsTable)
{
    CMissingIds vigilo(VigiloStringTable()), mapwick(MapwickStringTable());
    const std::int32_t kCodes[] = {-1,  0,   1,    2,    3,    4,    5,    6,    7,    8,    9,    501,
                                   502, 503, 504,  505,  801,  808,  809,  901,  903,  904,  1001, 1002,
                                   1003, 1101, 1105, 1106, 1111, 1112, 1114, 1115, 1301, 1303, 1304, 1501,
                                   1504, 1505, 1507, 1508, 99999};
    for (std::int32_t nGroup = -1; nGroup <= 18; ++nGroup)
        for (std::int32_t nCode : kCodes)
            for (std::int32_t nSeverity : {1, 2, 3, 4, 255})
                for (std::int32_t nTraining : {1, 5}) {
                    CPrinterAlert alert = Alert(nGroup, nCode, nSeverity, nTraining, "x");
                    AlertText(alert, rulesVigilo, vigilo);
                    AlertText(alert, rulesMapwick, mapwick);
                    AlertText(alert, rulesMapwickTrap, mapwick);
                }
    EXPECT_TRUE(vigilo.m_missing.empty()) << "first missing in Vigilo's table: " << *vigilo.m_missing.begin();
    EXPECT_TRUE(mapwick.m_missing.empty()) << "first missing in Mapwick's table: " << *mapwick.m_missing.begin();
}

} // namespace
