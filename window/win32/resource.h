// Resource identifiers of the window (window.rc) and of Kt06.exe.
#pragma once

#define IDI_KT06 1   /* the program's icon, 32 x 32 with 256 colours */
#define IDR_LOGO 100 /* the logo, a JPEG image */
