#include "AlertLoader.h"

#include "MibRequest.h"
#include "ObjectId.h"

bool ReadAlertTable(CMibRequest& a_request, std::int32_t a_nDeviceIndex, AlertRules a_rules,
                    CAlertTable& a_table)
{
    a_table.RemoveAll();
    a_request.Values().clear();
    a_request.Values().emplace_back(CObjectId(kOidAlertTable));
    a_request.LoadEntry();
    if (a_request.GetErrorFlag()) {
        a_table.Set(NoAnswerAlertIndex(a_rules), CPrinterAlert::NoAnswer());
        return false;
    }
    for (const CMibValue& value : a_request.Values())
        a_table.FileRow(value, a_nDeviceIndex);
    return true;
}

bool LoadComponentName(CMibRequest& a_request, CPrinterAlert& a_alert)
{
    CObjectId oid = ComponentNameOid(a_alert);
    if (oid.IsEmpty())
        return false;
    a_request.Values().clear();
    a_request.Values().emplace_back(oid);
    std::string name;
    if (a_request.Load() <= 0 || a_request.Values().empty() || !a_request.Values().front().GetText(name))
        return false;
    a_alert.m_strComponentName = name;
    return true;
}

void CompleteAlerts(CMibRequest& a_request, AlertRules a_rules, const IStringTable& a_strings,
                    CAlertTable& a_table)
{
    for (auto& [dwIndex, alert] : a_table.Alerts())
        LoadComponentName(a_request, alert);
    a_table.ComputeMessages(a_rules, a_strings);
}

bool LoadAlerts(CMibRequest& a_request, std::int32_t a_nDeviceIndex, AlertRules a_rules,
                const IStringTable& a_strings, CAlertTable& a_table)
{
    bool bAnswered = ReadAlertTable(a_request, a_nDeviceIndex, a_rules, a_table);
    CompleteAlerts(a_request, a_rules, a_strings, a_table);
    return bAnswered;
}
