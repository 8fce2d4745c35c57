#pragma once

#include <QString>

#include "GeneratedFile.h"

// The three framework configuration files, each from its template text.
namespace ConfigFiles {

// src/struts.xml: one package with a wildcard action per class (UTF-8).
TGeneratedFile BuildStrutsXml(const TBuildContext& context, const QString& templateText);
// src/beans.xml: one Spring bean per Action class (UTF-8).
TGeneratedFile BuildBeansXml(const TBuildContext& context, const QString& templateText);
// src/hibernate.cfg.xml: one mapping resource per class (GBK).
TGeneratedFile BuildHibernateConfig(const TBuildContext& context, const QString& templateText);

} // namespace ConfigFiles
