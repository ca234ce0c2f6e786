#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace lanzhou::update {

// The updater program's file name here: "update" plus the platform's
// executable suffix ("update.exe" on Windows).
std::string updaterFileName();

// Where the build puts the updater among the client's resources.
QString embeddedUpdaterResource();

// The updater the client carries inside itself (a resource made at build time
// from the `update` program); empty in a build without the updater.
QByteArray embeddedUpdater();

}  // namespace lanzhou::update
