// Facts about the program that the resources, the code and the asset script
// all read, so that each stands in one place. Plain macros only: windres
// includes this file too.
#pragma once

#define GLIMVANE_VERSION_MAJOR 1
#define GLIMVANE_VERSION_MINOR 0
#define GLIMVANE_VERSION_PATCH 0
#define GLIMVANE_VERSION_BUILD 0
#define GLIMVANE_VERSION_STRING "1.00"

#define GLIMVANE_NAME "Glimvane"
#define GLIMVANE_EXE_NAME "Glimvane.exe"
#define GLIMVANE_COMPANY "Orvanthe"

// The maker's companion website: the link label opens it and the title of
// the background picture names it. A reserved example domain, on purpose.
#define GLIMVANE_SITE_URL "https://www.orvanthe.example"
