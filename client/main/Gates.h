#pragma once
#include <QString>

// A right's getter of the look-ups: true when the named user holds it now.
using RightGetter = bool (*)(const QString& user);

// What a refusal shows: the general denial, or nothing at all.
namespace GateDenial {
inline const QString General = QStringLiteral("Access Denied. You are not allowed to use this function");
inline const QString Silent;
} // namespace GateDenial

// The gate of a main-window command: reads the logged-on user's right afresh
// (rights are never cached, and a user who is not found has none) and
// answers whether the command may run. Refused, it shows the denial, or
// nothing when the denial is empty.
bool PassGate(RightGetter right, const QString& denial = GateDenial::General);
