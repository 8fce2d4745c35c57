#!/usr/bin/env bash
# Fetches the stock Tomcat 9 of the live tests (tests/live/tomcat/pom.xml) into build/tomcat.
exec "$(dirname "$0")/java-libs.sh" tests/live/tomcat/pom.xml build/tomcat
