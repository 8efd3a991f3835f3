#pragma once
#define IDD_HARNESS_TEST 100
#define IDC_HARNESS_TEXT 1000
