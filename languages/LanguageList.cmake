# The printer languages, one line each, in the order a printer's device ID
# is matched against them. A language is its folder languages/<folder>/ and
# its line here: the folder, the name its code goes by (its row k<Name>Row in
# Row.h, Decode<Name> in Decoder.cpp, k<Name>SimAnswers in SimAnswers.cpp,
# k<Name>Drivers in Drivers.cpp) and the preview tool's name for it
# (PreviewLanguage::<preview name>). cmake/LanguageTables.cmake makes the
# tables of each layer from this list.
#
#                folder      name       preview name
thermal_language(tspl        Tspl       TSPL)
thermal_language(escpos      EscPos     ESCPOS)
thermal_language(cpcl        Cpcl       CPCL)
thermal_language(paperang    Paperang   Paperang)
thermal_language(peripage    PeriPage   PeriPage)
thermal_language(zpl         Zpl        ZPL)
thermal_language(epl         Epl        EPL)
thermal_language(brother-ql  BrotherQl  BrotherQL)
thermal_language(dymo        Dymo       Dymo)
thermal_language(cat         Cat        Cat)
thermal_language(star        Star       Star)
thermal_language(niimbot     Niimbot    Niimbot)
thermal_language(phomemo     Phomemo    Phomemo)
thermal_language(ptouch      Ptouch     Ptouch)
