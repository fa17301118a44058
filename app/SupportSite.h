// The maker's support web site: one secure host for both pages the resolution commands open.
#pragma once

#define NV_SUPPORT_HOST L"https://support.corvane.com"
#define NV_URL_SUPPORTED_ADAPTERS NV_SUPPORT_HOST L"/support/supported_adapters/"
#define NV_URL_DRIVER_DOCUMENTS NV_SUPPORT_HOST L"/my_corvane/public/documents/#3rdpartydriver/"
// Below the program's folder.
#define NV_INSTALLER_RELATIVE_PATH L"\\WlanStickSetup\\setup.exe"
