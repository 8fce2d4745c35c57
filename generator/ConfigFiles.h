#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "GeneratedFile.h"

// The three framework configuration files and the files of the project's root (pom.xml,
// README.txt, jetty.xml), each from its template text.
namespace ConfigFiles {

// src/struts.xml: one package with a wildcard action per class (UTF-8).
TGeneratedFile BuildStrutsXml(const TBuildContext& context, const QString& templateText);
// src/beans.xml: one Spring bean per Action class (UTF-8).
TGeneratedFile BuildBeansXml(const TBuildContext& context, const QString& templateText);
// src/hibernate.cfg.xml: one mapping resource per class (GBK).
TGeneratedFile BuildHibernateConfig(const TBuildContext& context, const QString& templateText);

// The files at the project's root filled from template/ (when the template has content).
inline const QStringList kRootFiles{QStringLiteral("pom.xml"), QStringLiteral("README.txt"),
                                   QStringLiteral("jetty.xml")};
// A file of the project's root (pom.xml, README.txt, jetty.xml) from its template text; no
// file when the template is missing or empty.
std::optional<TGeneratedFile> BuildRootFile(const TBuildContext& context, const QString& name,
                                            const QString& templateText);

} // namespace ConfigFiles
