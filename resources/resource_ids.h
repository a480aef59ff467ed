// Resource identifiers shared by quillet.rc and the program's C++ code. Plain #defines so
// that both the resource compilers (windres, rc) and the C++ compiler read this file.
#ifndef QUILLET_RESOURCE_IDS_H
#define QUILLET_RESOURCE_IDS_H

// The program icon (32 x 32 and 16 x 16, 16 colours). Id 1 sorts first, so the shell shows it
// as the executable's icon.
#define IDI_QUILLET 1

// The pointing-hand cursor of the link labels: 32 x 32, two colours, hot spot at the fingertip.
#define IDC_HAND_POINTER 101

#endif
