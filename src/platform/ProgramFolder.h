#pragma once

#include <QString>

// Where the program finds the files it knows by name: the settings, the sample
// and the blank address book, the county list, the manual and the chime.
//
// Portable use: when those files lie beside the executable in a folder the
// user can write (a build folder, a folder on a USB stick), everything stays
// there, as the program has always done.
//
// Installed use: when the executable's folder holds none of them but the
// installed data folder (share/varnel beside bin) does, or when the folder
// that holds them cannot be written, they are read from there and never
// written there. The settings and the county list then live in the user's
// configuration folder (~/.config/Varnel), the sample and the blank book in
// the user's data folder (~/.local/share/Varnel); each is copied there from
// the installed one the first time it is wanted.
//
// Every path has a trailing '/' where it is a folder.
namespace ProgramFolder {

// The folder of the user's address books: the program folder in portable
// use, the user's data folder when installed. File dialogs start here.
QString path();

// Takes `folder` as the executable's folder and decides the use from what it
// holds; tests point it at a scratch folder.
void set(const QString &folder);

// Where the file `name` is read and written: for the settings, the county
// list and the two address books a file the user owns (copied from the
// installed one when missing), for anything else the installed file.
QString file(const QString &name);

// True when everything stays beside the program.
bool isPortable();

} // namespace ProgramFolder
