// Reading a printer's alert table over SNMP into a CAlertTable: one walk of
// prtAlertTable, then one get per alert for the name of the input, output
// or supply it is about, then the texts. Both programs' pollers and the map
// plug-in's notification loader use it, each with its own rules.
#pragma once

#include <cstdint>

#include "PrinterAlert.h"

class CMibRequest;
class IStringTable;

// Walks prtAlertTable with the request's address, community and access mode
// and files the rows of device a_nDeviceIndex (the table is emptied first).
// When the walk fails, the table holds only the no-answer alert, under the
// program's index, and the result is false.
bool ReadAlertTable(CMibRequest& a_request, std::int32_t a_nDeviceIndex, AlertRules a_rules,
                    CAlertTable& a_table);

// Reads the component name of every alert of groups 8, 9 and 11 (one get
// each, with the request's address, community and the access mode it now
// has) and computes every alert's message under a_rules.
void CompleteAlerts(CMibRequest& a_request, AlertRules a_rules, const IStringTable& a_strings,
                    CAlertTable& a_table);

// ReadAlertTable, then CompleteAlerts. False when the printer did not answer.
bool LoadAlerts(CMibRequest& a_request, std::int32_t a_nDeviceIndex, AlertRules a_rules,
                const IStringTable& a_strings, CAlertTable& a_table);

// One alert's component name through the request; a failed read, or an
// answer that is not text, leaves the name empty. False when there was
// nothing to read or no text came back.
bool LoadComponentName(CMibRequest& a_request, CPrinterAlert& a_alert);
