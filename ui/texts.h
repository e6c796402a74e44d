// The texts of Velorn's message boxes, UTF-8 here. The ANSI message box
// calls take bytes of the process's code page, which for Czech is 1250 (the
// manifest asks for it), so the program is compiled with -fexec-charset for
// VELORN_CODE_PAGE (CMakeLists.txt) and hands them over as Windows-1250
// bytes. Compiled as they are, they stay UTF-8, which the driver and the
// tests widen to find the boxes by their captions.
#ifndef VELORN_TEXTS_H
#define VELORN_TEXTS_H

constexpr char QUIT_CAPTION[] = "Potvrzení ukončení";
constexpr char QUIT_TEXT[] = "Opravdu si přejete ukončit tento program?";

constexpr char HELP_CAPTION[] = "Návod";
constexpr char HELP_TEXT[] =
    "\n"
    "Program je stále ve fázi testování, proto autor nenese\n"
    " žádnou odpovědnost za případné chyby způsobené programem.\n"
    "Program na určení energie nutné k vyrovnání odporu vzduchu \n"
    "osobních automobilů,se součinitelem odporu 0.3 a čelním průřezem 2metry\n"
    "čtvereční.\n"
    "Do horního editačního pole zadáme rychlost vozu v kilometrech\n"
    "a zmáčkneme tlačítko OK.\n"
    "V poli Energie nutná k vyrovnání odporu vzduchu přečteme výsledek. \n"
    "Hodnota je kilowatthodinách.";

constexpr char ABOUT_CAPTION[] = "O programu Velorn";
constexpr char ABOUT_TEXT[] = "Version \n"
                              "Velorn.0.1\n"
                              "\n"
                              "\n"
                              "Děkuji všem, kteří pomohli program vyzkoušet a vylepšit.\n"
                              "Napsáno v jazyce C++ pro Win32, přeloženo GCC (MinGW-w64).\n"
                              "2005";

#endif
