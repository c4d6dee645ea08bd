#pragma once
// The shell's own pictures (the branding library supplies the logo and the
// list icon): the start-up dialog's picture of a drive network, the program
// icon and the About icon. Drawn, not loaded, so the program carries no image
// files.
#include <QIcon>
#include <QPixmap>

#include <string>

namespace shell {

// Bitmap 158: drives on an RS-485 line, left picture of the start-up dialog.
QPixmap networkPicture();
// Icon 128: the program's icon (a drive with its keypad). "Kestrel" and
// "Merlin" each get their own colour and initial, so that a user running
// both tells their windows apart; any other name the plain drive.
QIcon programIcon(const std::string& program = {});
// Icon 190: the About box's picture.
QPixmap aboutPicture();

}  // namespace shell
