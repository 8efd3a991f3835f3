// A printer's alerts: one record per row of the Printer MIB's alert table
// (prtAlertTable), the table of them keyed by alert index, the message text
// of an alert in each program's wording, and what the status window derives
// from the table (overall state, ready flag, display order, icons).
//
// Both programs share these rules; where they differ, the caller says whose
// rules apply (AlertRules). The texts come from the program's string table.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CMibValue;
class CObjectId;
class IStringTable;

// Severity levels (prtAlertSeverityLevel) and what stands for no answer.
enum AlertSeverity : std::int32_t {
    severityOther = 1,
    severityCritical = 3,
    severityWarning = 4,
    severityNoAnswer = 255,
};

// prtAlertTrainingLevel of an alert only field service can clear.
inline constexpr std::int32_t kTrainingFieldService = 5;

class CPrinterAlert {
public:
    std::int32_t m_nDeviceIndex = 1;    // hrDeviceIndex the row belongs to
    std::int32_t m_nGroup = 0;          // prtAlertGroup
    std::int32_t m_nGroupIndex = 0;     // prtAlertGroupIndex: which input, output, supply...
    std::int32_t m_nCode = 0;           // prtAlertCode
    std::int32_t m_nSeverity = 0;       // prtAlertSeverityLevel
    std::int32_t m_nTrainingLevel = 0;  // prtAlertTrainingLevel
    std::string m_strComponentName;     // name of the input, output or supply (groups 8, 9, 11)
    std::string m_strDescription;       // prtAlertDescription
    std::string m_strMessage;           // display text (AlertText)

    // The alert that stands for a printer that did not answer the walk.
    static CPrinterAlert NoAnswer();
};

// Whose wording and rules apply.
enum AlertRules {
    rulesVigilo,       // the status window
    rulesMapwick,      // the map plug-in's status polling
    rulesMapwickTrap,  // the map plug-in's alert notifications: no special
                       // text for no answer or service calls
};

// The alert index under which a program keeps the no-answer alert.
std::uint32_t NoAnswerAlertIndex(AlertRules a_rules);

// Mapwick's text for alerts of a group the texts do not cover (2, 7, below 1,
// above 17); a printf pattern taking group and code.
inline constexpr unsigned kIdsAlertGroupError = 20911;
inline constexpr unsigned kIdsCommunicationError = 20909;
inline constexpr unsigned kIdsServiceCall = 20910;

// The message text of an alert under a program's rules.
std::string AlertText(const CPrinterAlert& a_alert, AlertRules a_rules, const IStringTable& a_strings);

// prtAlertTable, the root of the walk.
inline constexpr const char kOidAlertTable[] = "1.3.6.1.2.1.43.18.1.1";

// The identifier of the name of the input, output or supply an alert is
// about (groups 8, 9 and 11): prtInputName, prtOutputName or
// prtMarkerSuppliesDescription followed by the device index and the alert's
// group index. Empty for any other group.
CObjectId ComponentNameOid(const CPrinterAlert& a_alert);

// The status window's icon for an alert: a bitmap id, or 0 for none.
std::int32_t AlertIcon(std::int32_t a_nSeverity, std::int32_t a_nCode);

// Severity order of the map plug-in: by number, except that critical (3)
// is above warning (4); no answer (255) is above both.
std::int32_t HigherSeverity(std::int32_t a_nA, std::int32_t a_nB);
// The map symbol status for a printer's highest severity: 2 normal,
// 3 warning, 4 critical, 1 undetermined.
std::int32_t SymbolStatusForSeverity(std::int32_t a_nHighest);

// The alerts of one printer device keyed by alert index. Iteration runs in
// ascending alert index, so everything derived from the table is the same
// for the same alerts.
class CAlertTable {
public:
    using Map = std::map<std::uint32_t, CPrinterAlert>;

    void RemoveAll() { m_alerts.clear(); }
    bool IsEmpty() const { return m_alerts.empty(); }
    std::size_t GetCount() const { return m_alerts.size(); }
    // The record under a_dwIndex, created as a new record if absent.
    CPrinterAlert& Take(std::uint32_t a_dwIndex) { return m_alerts[a_dwIndex]; }
    void Set(std::uint32_t a_dwIndex, const CPrinterAlert& a_alert) { m_alerts[a_dwIndex] = a_alert; }
    const CPrinterAlert* Find(std::uint32_t a_dwIndex) const;
    const Map& Alerts() const { return m_alerts; }
    Map& Alerts() { return m_alerts; }

    // Files one value of a walk of prtAlertTable: a row of device
    // a_nDeviceIndex (next-to-last sub-identifier) goes to the record of its
    // alert index (last sub-identifier), into the field of its column; numbers
    // from integer values and the description from an octet string (0 or
    // empty text for another type). Rows of other devices, and identifiers
    // that are no row of prtAlertTable, are ignored; a row of another column
    // creates the record but stores nothing.
    void FileRow(const CMibValue& a_value, std::int32_t a_nDeviceIndex);

    // Computes every alert's message under a program's rules.
    void ComputeMessages(AlertRules a_rules, const IStringTable& a_strings);

    // ---- The status window's view of the table.
    // 0 without alerts; otherwise the most severe state of any alert:
    // 1 other, 2 warning, 3 critical, 4 critical needing field service,
    // 5 no answer. Alerts of other severities give no state.
    std::int32_t GetOverallState() const;
    // False when any alert is critical or stands for no answer.
    bool IsReady() const;
    // Alert indexes to list: no answer first, then critical, warning, other;
    // ascending alert index within one severity; other severities omitted.
    std::vector<std::uint32_t> GetDisplayOrder() const;
    // Icon bitmap id (0 for none), description and message of one alert;
    // false when the index is not in the table.
    bool GetAlertDisplay(std::uint32_t a_dwIndex, std::int32_t& a_nIcon, std::string& a_strDescription,
                         std::string& a_strMessage) const;

    // ---- The map plug-in's view: the highest severity (1 when there is
    // no alert above it) by HigherSeverity.
    std::int32_t GetHighestSeverity() const;

private:
    Map m_alerts;
};
