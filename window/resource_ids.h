// Resource identifiers, read by resources.rc and by the code. Plain macros
// only: windres includes this file too.
#pragma once

#define IDI_GLIMVANE 1          // program icon (also the file's icon: lowest id)
#define IDC_HAND_POINTER 101    // hand pointer of Label3 and Image3
#define IDB_BACKGROUND 201      // Image1
#define IDB_BUTTON_FORWARD 202  // Image2
#define IDB_BUTTON_REVERSE 203  // Image4
#define IDB_BUTTON_COPY 204     // Image3
