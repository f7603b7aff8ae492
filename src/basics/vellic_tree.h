#pragma once

// Places in the folder tree of a VELLIC measurement system. `base` is the
// system's base folder and ends with the delimiter.

#include <QString>
#include <QStringList>

#include <optional>

namespace basics {

// The base folder named by line 0 of vellic_path.ini (its `lines`), with
// the delimiter; the program folder when that line is missing or empty.
QString vellic_base_folder(const QStringList& lines);

// base + "database/current_product": holds one file named after the product.
QString current_product_folder(const QString& base);

// The name of the first file in the current-product folder; empty when there
// is none (folders there never count).
QString current_product(const QString& base);

// The current product as current_product gives it; no value when the
// current-product folder is there but cannot be listed (no permission, a
// failing share): then the product is unknown, not empty.
std::optional<QString> readable_current_product(const QString& base);

// The names of every file in the current-product folder, in listing order
// (the first is the product); none when the folder is there but cannot be
// listed, an empty list when it is missing or holds no file.
std::optional<QStringList> current_product_files(const QString& base);

// "Error: The current product folder <folder> cannot be read; ...", the
// report of a current-product folder that cannot be listed, and the report
// that it can be listed again.
QString unreadable_product_folder(const QString& folder);
QString product_folder_readable_again(const QString& folder);

// base + "database/products/" + product + "/measurements/" + lumor_name +
// "/new", without a trailing delimiter: where new measurements go.
QString measurement_folder(const QString& base, const QString& product, const QString& lumor_name);

// Where measurements are archived: `external_archive_directory` when one is
// set, else base + "archive/" when that folder exists, else "" (archiving
// switched off). Ends with the delimiter unless empty.
QString archive_root(const QString& base, const QString& external_archive_directory);

}  // namespace basics
