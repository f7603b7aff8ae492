#pragma once

// Places in the folder tree of a VELLIC measurement system. `base` is the
// system's base folder and ends with the delimiter.

#include <QString>

namespace basics {

// base + "database/current_product": holds one file named after the product.
QString current_product_folder(const QString& base);

// The name of the first file in the current-product folder; empty when there
// is none (folders there never count).
QString current_product(const QString& base);

// base + "database/products/" + product + "/measurements/" + lumor_name +
// "/new", without a trailing delimiter: where new measurements go.
QString measurement_folder(const QString& base, const QString& product, const QString& lumor_name);

// Where measurements are archived: `external_archive_directory` when one is
// set, else base + "archive/" when that folder exists, else "" (archiving
// switched off). Ends with the delimiter unless empty.
QString archive_root(const QString& base, const QString& external_archive_directory);

}  // namespace basics
