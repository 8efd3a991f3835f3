#pragma once
#define IDD_REFRESH_TEST 900
#define IDC_REFRESH_TEST_EDIT 901
