#pragma once

#include <QString>

// The names of the properties that code, not just the catalogue, has to know: the pages that
// lay them out, the password rules, the drivers that log on with them.
namespace oledb::property {

inline const QString Provider = QStringLiteral("Provider");
inline const QString DataSource = QStringLiteral("Data Source");
inline const QString Location = QStringLiteral("Location");
inline const QString InitialCatalog = QStringLiteral("Initial Catalog");
inline const QString InitialFileName = QStringLiteral("Initial File Name");
inline const QString UserId = QStringLiteral("User ID");
inline const QString Password = QStringLiteral("Password");
inline const QString IntegratedSecurity = QStringLiteral("Integrated Security");
inline const QString PersistSecurityInfo = QStringLiteral("Persist Security Info");
inline const QString ExtendedProperties = QStringLiteral("Extended Properties");
inline const QString ConnectTimeout = QStringLiteral("Connect Timeout");
inline const QString Mode = QStringLiteral("Mode");
inline const QString ImpersonationLevel = QStringLiteral("Impersonation Level");
inline const QString ProtectionLevel = QStringLiteral("Protection Level");
inline const QString UseEncryptionForData = QStringLiteral("Use Encryption for Data");
inline const QString TrustServerCertificate = QStringLiteral("Trust Server Certificate");
inline const QString Authentication = QStringLiteral("Authentication");
inline const QString AccessToken = QStringLiteral("Access Token");
inline const QString HostNameInCertificate = QStringLiteral("Host Name In Certificate");
inline const QString ServerCertificate = QStringLiteral("Server Certificate");
inline const QString JetDatabasePassword = QStringLiteral("Jet OLEDB:Database Password");
inline const QString JetSystemDatabase = QStringLiteral("Jet OLEDB:System database");

} // namespace oledb::property
