#include "PrinterAlert.h"

#include <algorithm>
#include <iterator>

#include "MibValue.h"
#include "ObjectId.h"
#include "StringTable.h"

CPrinterAlert CPrinterAlert::NoAnswer()
{
    CPrinterAlert alert;
    alert.m_nDeviceIndex = 1;
    alert.m_nGroup = 1;
    alert.m_nCode = 1;
    alert.m_nSeverity = severityNoAnswer;
    alert.m_nTrainingLevel = 1;
    return alert;
}

std::uint32_t NoAnswerAlertIndex(AlertRules a_rules)
{
    return a_rules == rulesVigilo ? 1 : 0;
}

namespace {

// One code of a group's text table; id 0 is a listed code with empty text.
struct SCodeText {
    std::int32_t nCode;
    unsigned nId;
};

// Codes 1 to 8, shared by most groups.
constexpr SCodeText kGeneral[] = {
    {1, 19000}, {2, 19001}, {3, 19002}, {4, 19003},
    {5, 19004}, {6, 19005}, {7, 19006}, {8, 19007},
};

constexpr SCodeText kGeneralPrinter[] = {
    {501, 20008}, {502, 20009}, {503, 20010}, {504, 20011},
};

constexpr SCodeText kInput[] = {
    {1, 20200},   {2, 20201},   {3, 20202},   {4, 20203},   {5, 20204},   {6, 20205},
    {7, 20206},   {8, 20207},   {801, 20208}, {802, 20209}, {803, 20210}, {804, 20211},
    {805, 20212}, {806, 20213}, {807, 20214}, {808, 20215},
};

constexpr SCodeText kOutput[] = {
    {1, 20300}, {2, 20301}, {3, 20302}, {4, 20303},   {5, 20304},   {6, 20305},
    {7, 20306}, {8, 20307}, {901, 20308}, {902, 20309}, {903, 20310},
};

// Marker and supplies: codes 1 and 2 have texts of their own in Vigilo and
// the general texts in Mapwick; 3 to 8 are general in both.
constexpr SCodeText kMarkerVigilo[] = {{1, 20400}, {2, 20401}};
constexpr SCodeText kMarker[] = {{1001, 20408}, {1002, 20409}};
constexpr SCodeText kSuppliesVigilo[] = {{1, 20500}, {2, 20501}};
constexpr SCodeText kSupplies[] = {
    {901, 20508},  {902, 20509},  {903, 20510},  {1101, 20511}, {1102, 20512},
    {1103, 20513}, {1104, 20514}, {1105, 20515}, {1106, 20516}, {1107, 20517},
    {1108, 20518}, {1109, 20519}, {1110, 20520}, {1111, 20521}, {1112, 0},
    {1113, 0},     {1114, 0},
};

constexpr SCodeText kMediaPath[] = {{1301, 20608}, {1302, 20609}, {1303, 20610}};

constexpr SCodeText kInterpreter[] = {
    {1, 19000},    {2, 19001},    {7, 19006},    {1501, 20708}, {1502, 20709},
    {1503, 20710}, {1504, 20711}, {1505, 19006}, {1506, 19006}, {1507, 19006},
};

template <std::size_t N>
bool FindCode(const SCodeText (&a_table)[N], std::int32_t a_nCode, unsigned& a_nId)
{
    for (const SCodeText& entry : a_table) {
        if (entry.nCode == a_nCode) {
            a_nId = entry.nId;
            return true;
        }
    }
    return false;
}

// The text id of a group's code. Returns false for a code the group does
// not list; a_nCodeOneId is then the id of the group's code 1 (Mapwick's
// text for unlisted codes).
bool GroupCodeText(std::int32_t a_nGroup, std::int32_t a_nCode, bool a_bVigilo, unsigned& a_nId,
                   unsigned& a_nCodeOneId)
{
    a_nCodeOneId = 19000;
    switch (a_nGroup) {
    case 1:
    case 3:
    case 4:
    case 14:
        // Every code has a text here: unlisted ones read as code 1.
        if (!FindCode(kGeneral, a_nCode, a_nId))
            a_nId = 19000;
        return true;
    case 5:
        return FindCode(kGeneral, a_nCode, a_nId) || FindCode(kGeneralPrinter, a_nCode, a_nId);
    case 6:
    case 12:
        return FindCode(kGeneral, a_nCode, a_nId);
    case 8:
        a_nCodeOneId = 20200;
        return FindCode(kInput, a_nCode, a_nId);
    case 9:
        a_nCodeOneId = 20300;
        return FindCode(kOutput, a_nCode, a_nId);
    case 10:
        return (a_bVigilo && FindCode(kMarkerVigilo, a_nCode, a_nId)) || FindCode(kGeneral, a_nCode, a_nId) ||
               FindCode(kMarker, a_nCode, a_nId);
    case 11:
        return (a_bVigilo && FindCode(kSuppliesVigilo, a_nCode, a_nId)) || FindCode(kGeneral, a_nCode, a_nId) ||
               FindCode(kSupplies, a_nCode, a_nId);
    case 13:
        return FindCode(kGeneral, a_nCode, a_nId) || FindCode(kMediaPath, a_nCode, a_nId);
    case 15:
        return FindCode(kInterpreter, a_nCode, a_nId);
    case 16:
        a_nId = 20808;
        return true;
    case 17:
        a_nId = 20908;
        return true;
    default:
        return false;
    }
}

bool IsCoveredGroup(std::int32_t a_nGroup)
{
    return a_nGroup >= 1 && a_nGroup <= 17 && a_nGroup != 2 && a_nGroup != 7;
}

// Whether the component name follows the text: inputs and outputs always,
// supplies only for the "almost out" and "almost full" codes.
bool TakesComponentName(std::int32_t a_nGroup, std::int32_t a_nCode)
{
    return a_nGroup == 8 || a_nGroup == 9 || (a_nGroup == 11 && a_nCode >= 1101 && a_nCode <= 1105);
}

} // namespace

std::string AlertText(const CPrinterAlert& a_alert, AlertRules a_rules, const IStringTable& a_strings)
{
    const bool bVigilo = a_rules == rulesVigilo;
    if (a_rules != rulesMapwickTrap) {
        // The no-answer alert; the status window keeps this text to group 1,
        // the group it builds that alert with.
        if (a_alert.m_nSeverity == severityNoAnswer && (!bVigilo || a_alert.m_nGroup == 1))
            return a_strings.Load(kIdsCommunicationError);
        if (a_alert.m_nSeverity == severityCritical && a_alert.m_nTrainingLevel == kTrainingFieldService)
            return a_strings.Load(kIdsServiceCall);
    }

    if (!IsCoveredGroup(a_alert.m_nGroup)) {
        if (bVigilo)
            return {};
        return FormatTableText(a_strings.Load(kIdsAlertGroupError), {a_alert.m_nGroup, a_alert.m_nCode});
    }

    unsigned nId = 0, nCodeOneId = 0;
    std::string text;
    if (GroupCodeText(a_alert.m_nGroup, a_alert.m_nCode, bVigilo, nId, nCodeOneId)) {
        if (nId != 0)
            text = a_strings.Load(nId);
    } else if (!bVigilo) {
        text = a_strings.Load(nCodeOneId);
    }

    // The status window shows the parentheses even without a name, so an
    // input alert is recognisable as such; the map plug-in leaves them out.
    if (TakesComponentName(a_alert.m_nGroup, a_alert.m_nCode) &&
        (bVigilo || !a_alert.m_strComponentName.empty()))
        text += "(" + a_alert.m_strComponentName + ")";
    return text;
}

CObjectId ComponentNameOid(const CPrinterAlert& a_alert)
{
    const char* pszColumn = nullptr;
    switch (a_alert.m_nGroup) {
    case 8:
        pszColumn = "1.3.6.1.2.1.43.8.2.1.13";  // prtInputName
        break;
    case 9:
        pszColumn = "1.3.6.1.2.1.43.9.2.1.7";  // prtOutputName
        break;
    case 11:
        pszColumn = "1.3.6.1.2.1.43.11.1.1.6";  // prtMarkerSuppliesDescription
        break;
    default:
        return {};
    }
    CObjectId oid(pszColumn);
    oid.Append(static_cast<std::uint32_t>(a_alert.m_nDeviceIndex));
    oid.Append(static_cast<std::uint32_t>(a_alert.m_nGroupIndex));
    return oid;
}

std::int32_t AlertIcon(std::int32_t a_nSeverity, std::int32_t a_nCode)
{
    switch (a_nCode) {
    case 3:
    case 501:
        return 137;  // open cover
    case 8:
        return 140;  // paper jam
    case 808:
        return 141;  // out of paper
    case 1101:
        return 142;
    case 1102:
        return 139;
    default:
        break;
    }
    const bool bListed = a_nCode == 1 || a_nCode == 2 || (a_nCode >= 4 && a_nCode <= 7) ||
                         (a_nCode >= 502 && a_nCode <= 504) || (a_nCode >= 801 && a_nCode <= 807) ||
                         (a_nCode >= 901 && a_nCode <= 903) || a_nCode == 1001 || a_nCode == 1002 ||
                         (a_nCode >= 1103 && a_nCode <= 1114) || (a_nCode >= 1301 && a_nCode <= 1303) ||
                         (a_nCode >= 1501 && a_nCode <= 1507);
    if (!bListed)
        return 138;
    // Codes that are normally harmless show the exclamation mark only when
    // they stop the printer.
    return a_nSeverity == severityCritical || a_nSeverity == severityNoAnswer ? 138 : 0;
}

std::int32_t HigherSeverity(std::int32_t a_nA, std::int32_t a_nB)
{
    // Twice the number, with critical placed between warning and 5.
    auto rank = [](std::int32_t n) -> std::int64_t { return n == severityCritical ? 9 : 2 * std::int64_t{n}; };
    return rank(a_nB) > rank(a_nA) ? a_nB : a_nA;
}

std::int32_t SymbolStatusForSeverity(std::int32_t a_nHighest)
{
    switch (a_nHighest) {
    case severityOther:
        return 2;
    case severityCritical:
    case severityNoAnswer:
        return 4;
    case severityWarning:
        return 3;
    default:
        return 1;
    }
}

const CPrinterAlert* CAlertTable::Find(std::uint32_t a_dwIndex) const
{
    auto it = m_alerts.find(a_dwIndex);
    return it == m_alerts.end() ? nullptr : &it->second;
}

namespace {

enum class Column { Severity, Training, Group, GroupIndex, Code, Description, Other };

// A row identifier of prtAlertTable: the table, a column, and the two
// indexes (device and alert). Anything shorter is not a row.
bool IsAlertRow(const CObjectId& a_oid)
{
    static const CObjectId kTable(kOidAlertTable);
    return a_oid.GetCount() >= kTable.GetCount() + 3 && a_oid.StartsWith(kTable, kTable.GetCount());
}

Column ColumnOf(const CObjectId& a_oid)
{
    // The sub-identifier after the table's is the column number.
    static const std::size_t kTableLength = CObjectId(kOidAlertTable).GetCount();
    switch (a_oid[kTableLength]) {
    case 2: return Column::Severity;
    case 3: return Column::Training;
    case 4: return Column::Group;
    case 5: return Column::GroupIndex;
    case 7: return Column::Code;
    case 8: return Column::Description;
    default: return Column::Other;
    }
}

} // namespace

void CAlertTable::FileRow(const CMibValue& a_value, std::int32_t a_nDeviceIndex)
{
    const CObjectId& oid = a_value.GetIdentifier();
    const std::size_t n = oid.GetCount();
    if (!IsAlertRow(oid) || oid[n - 2] != static_cast<std::uint32_t>(a_nDeviceIndex))
        return;
    CPrinterAlert& alert = Take(oid[n - 1]);
    alert.m_nDeviceIndex = a_nDeviceIndex;

    const Column column = ColumnOf(oid);
    if (column == Column::Other)
        return;
    if (column == Column::Description) {
        std::string text;
        alert.m_strDescription = a_value.GetText(text) ? text : std::string();
        return;
    }
    std::int32_t nValue = 0;
    if (!a_value.GetInteger(nValue))
        nValue = 0;
    switch (column) {
    case Column::Severity:
        alert.m_nSeverity = nValue;
        break;
    case Column::Training:
        alert.m_nTrainingLevel = nValue;
        break;
    case Column::Group:
        alert.m_nGroup = nValue;
        break;
    case Column::GroupIndex:
        alert.m_nGroupIndex = nValue;
        break;
    case Column::Code:
        alert.m_nCode = nValue;
        break;
    default:
        break;
    }
}

void CAlertTable::ComputeMessages(AlertRules a_rules, const IStringTable& a_strings)
{
    for (auto& [dwIndex, alert] : m_alerts)
        alert.m_strMessage = AlertText(alert, a_rules, a_strings);
}

namespace {

// An alert's state in the status window; -1 for a severity that has none.
std::int32_t AlertState(const CPrinterAlert& a_alert)
{
    switch (a_alert.m_nSeverity) {
    case severityOther:
        return 1;
    case severityWarning:
        return 2;
    case severityCritical:
        return a_alert.m_nTrainingLevel == kTrainingFieldService ? 4 : 3;
    case severityNoAnswer:
        return 5;
    default:
        return -1;
    }
}

} // namespace

std::int32_t CAlertTable::GetOverallState() const
{
    // The most severe alert decides: a critical alert must not be hidden by
    // a harmless one that happens to come later in the table.
    std::int32_t nState = 0;
    for (const auto& [dwIndex, alert] : m_alerts)
        nState = std::max(nState, AlertState(alert));
    return nState;
}

bool CAlertTable::IsReady() const
{
    return std::none_of(m_alerts.begin(), m_alerts.end(), [](const auto& entry) {
        return entry.second.m_nSeverity == severityCritical || entry.second.m_nSeverity == severityNoAnswer;
    });
}

std::vector<std::uint32_t> CAlertTable::GetDisplayOrder() const
{
    std::vector<std::uint32_t> order;
    for (std::int32_t nSeverity : {severityNoAnswer, severityCritical, severityWarning, severityOther})
        for (const auto& [dwIndex, alert] : m_alerts)
            if (alert.m_nSeverity == nSeverity)
                order.push_back(dwIndex);
    return order;
}

bool CAlertTable::GetAlertDisplay(std::uint32_t a_dwIndex, std::int32_t& a_nIcon, std::string& a_strDescription,
                                  std::string& a_strMessage) const
{
    const CPrinterAlert* pAlert = Find(a_dwIndex);
    if (!pAlert)
        return false;
    a_nIcon = AlertIcon(pAlert->m_nSeverity, pAlert->m_nCode);
    a_strDescription = pAlert->m_strDescription;
    a_strMessage = pAlert->m_strMessage;
    return true;
}

std::int32_t CAlertTable::GetHighestSeverity() const
{
    std::int32_t nHighest = severityOther;
    for (const auto& [dwIndex, alert] : m_alerts)
        nHighest = HigherSeverity(nHighest, alert.m_nSeverity);
    return nHighest;
}
