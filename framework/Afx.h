// The framework layer: the class library's names and behaviour over Win32, as far as this program needs them.
#pragma once
#include "framework/AfxTypes.h"
#include "framework/AfxString.h"
#include "framework/AfxObject.h"
#include "framework/AfxExcept.h"
#include "framework/AfxColl.h"
#include "framework/AfxWin.h"
#include "framework/AfxApp.h"
#include "framework/AfxDlg.h"
#include "framework/AfxCtrls.h"
#include "framework/AfxGdi.h"
#include "framework/AfxFile.h"
