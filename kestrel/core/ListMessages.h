#pragma once
// The fixed texts of the list and file side (list windows, parameter files,
// custom lists, compare, conversion, print), each in one place with its
// icon. Parameter files and custom lists word some of them differently.
#include <kestrel/core/CWorkFile.h>
#include <platform/Notice.h>

#include <string>
#include <string_view>

namespace kestrel::msg {

using platform::MsgIcon;
using platform::Notice;

// Opening and checking list files.
inline const Notice kInvalidFile{"Invalid file !", MsgIcon::Stop};
inline const Notice kAlreadyConnected{"You are already connected to this file !", MsgIcon::Information};
inline const Notice kParameterFileCorrupt{"This parameter file is corrupted !", MsgIcon::Stop};
inline const Notice kCustomFileCorrupt{"This custom parameter file is corrupted !", MsgIcon::Stop};
inline const Notice kListDatabaseCorrupt{
    "Database file corresponding to this list is corrupted !\nYou need to download the full databank again.",
    MsgIcon::Stop};
inline const Notice kFileDatabaseCorrupt{
    "Database file corresponding to this file is corrupted. You need to download full databank again.",
    MsgIcon::Stop};

inline Notice noDatabase(ListKind kind)
{
    return {std::string("No database file corresponding to this ") +
                (kind == ListKind::CustomList ? "CTM" : "PAR") +
                " file was found !\nPlease connect to the inverter of the same software version\n"
                "and open a parameter list.",
            MsgIcon::None};
}

// Saving.
inline const Notice kOverwriteQuestion{"A file of this name already exists. Overwrite ?", MsgIcon::Question};
inline Notice saved(std::string_view listTitle, std::string_view arrow, std::string_view path)
{
    return {std::string(listTitle) + std::string(arrow) + std::string(path), MsgIcon::None};
}

// A file this program meant to write could not be written; nothing claims
// success in that case.
inline Notice writeFailed(std::string_view path)
{
    return {"The file could not be written :\n" + std::string(path), MsgIcon::Stop};
}

// The list window: entry checks, downloads, closing.
inline const Notice kInvalidValue{"Invalid Value !", MsgIcon::Stop};
inline const Notice kAboveUpper{"Value exceeds upper limit", MsgIcon::Stop};
inline const Notice kBelowLowerHex{"Value exceeds lower limit", MsgIcon::Stop};
inline const Notice kBelowLowerDecimal{"Value is below lower limit", MsgIcon::Stop};
inline const Notice kConnectionLost{"Connection to the device is lost !", MsgIcon::Stop};
inline const Notice kParameterSetChange{"This will change the whole parameter set in the connected inverter.",
                                        MsgIcon::None};
inline const Notice kSaveQuestion{
    "Value of some parameter(s) were changed.\nWould you like them to be saved to the file ?", MsgIcon::Question};
inline const Notice kLoseChanges{"All changes will be lost. Close anyway ?", MsgIcon::Question};

// The keypad-change check before an online list is saved.
inline const Notice kDisconnected{"The device was found disconnected from the network. !", MsgIcon::Stop};
inline Notice severalChanged(std::string_view address)
{
    return {"Device Address : " + std::string(address) + "\n\n" +
                "More than one parameters were changed in this device through the keypad." + "\n" +
                "Would you like to upload the latest parameter values from the device now ?",
            MsgIcon::None};
}
inline const Notice kUploadQuestion{"This will update the parameter file with the latest parameter values from the "
                                    "selected inverter. Would you like to continue ?",
                                    MsgIcon::Question};
inline Notice oneChanged(std::string_view number)
{
    return {"Value of parameter " + std::string(number) + " was changed from the keypad !" + "\n\n" +
                "Do you want to save it to this list?",
            MsgIcon::None};
}

// The custom list editor.
inline const Notice kNoParameterSelected{"No parameter selected !", MsgIcon::Stop};
inline const Notice kDuplicateParameter{"Parameter duplication not allowed", MsgIcon::Stop};
inline const Notice kDefaultParameter{"This is a default custom parameter. It cannot be deleted from the list.",
                                      MsgIcon::Stop};
inline const Notice kOverwriteCustom{"This file already exists !\nDo you want to overwrite ?", MsgIcon::Question};
inline const Notice kCustomModified{"This custom list has been modified. Want to save ?", MsgIcon::Question};

// File compare.
inline const Notice kVersionConflict{
    "Version conflict !\n\nYou need to convert the files to the same software version.", MsgIcon::None};
inline const Notice kSameFile{"You selected the same file !", MsgIcon::None};
inline Notice identical(std::string_view first, std::string_view second)
{
    return {"The selected two files :\n\n" + std::string(first) + "\n" + std::string(second) +
                "\n\nare identical !",
            MsgIcon::None};
}

// List conversion.
inline const Notice kProvideFileName{"In the next step, you should provide a file name.", MsgIcon::Information};
inline const Notice kConversionSameFile{"You have selected the same file. No conversion allowed !", MsgIcon::None};
inline const Notice kConversionOverwrite{"This file already exists. Overwrite ?", MsgIcon::None};
inline const Notice kConversionOpenFile{"You are already connected to this file. Conversion not allowed !",
                                        MsgIcon::None};
inline const Notice kConversionNotRequired{"Conversion not required !", MsgIcon::None};
inline const Notice kConversionTerminated{"Conversion process terminated before completion.", MsgIcon::None};
inline const Notice kEndConversion{"This will end the conversion process.", MsgIcon::Information};

// Showing a report or print file in the text viewer.
inline const Notice kNotepadMissing{"NOTEPAD application not found !", MsgIcon::None};
inline const Notice kReportCreated{"The software created a file : Report.txt", MsgIcon::None};
inline Notice printFileCreated(std::string_view path)
{
    return {"The software created a print file :\n" + std::string(path), MsgIcon::None};
}

}  // namespace kestrel::msg
