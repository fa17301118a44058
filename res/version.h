// The program's version, in one place: the version resource, the About box, the window title's version
// and build (netvetter.rc, strings.rc) and the release's name and README (tools/dist.sh) all take it
// from here, so that a download, its file properties and its window cannot disagree.
#pragma once

// Netvetter itself: file version NV_VERSION_MAJOR.NV_VERSION_MINOR.0.NV_BUILD, the release's version.
#define NV_VERSION_MAJOR 1
#define NV_VERSION_MINOR 0
#define NV_BUILD 37458
// The host product's version that the window title names.
#define NV_PRODUCT_MAJOR 11
#define NV_PRODUCT_MINOR 1

#define NV_TEXT_(x) #x
#define NV_TEXT(x) NV_TEXT_(x)
