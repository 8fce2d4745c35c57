import java.io.File;

import org.apache.catalina.startup.Tomcat;
import org.apache.catalina.util.ServerInfo;

/*
 * Serves an unpacked WAR at the root context of an embedded Tomcat with its stock settings:
 * the default HTTP/1.1 connector, the default web.xml (default and JSP servlets) and no
 * encoding settings. Only the address is narrowed to 127.0.0.1.
 *
 *     java -cp build/tomcat/*:ServeTomcat-folder ServeTomcat PORT WEBAPP-FOLDER BASE-FOLDER
 */
public class ServeTomcat {
    public static void main(String[] args) throws Exception {
        if (args.length != 3) {
            System.err.println("usage: ServeTomcat PORT WEBAPP-FOLDER BASE-FOLDER");
            System.exit(2);
        }
        Tomcat tomcat = new Tomcat();
        tomcat.setBaseDir(new File(args[2]).getAbsolutePath());
        tomcat.setPort(Integer.parseInt(args[0]));
        tomcat.getConnector().setProperty("address", "127.0.0.1");
        tomcat.addWebapp("", new File(args[1]).getAbsolutePath());
        tomcat.start();
        System.out.println("ServeTomcat: " + ServerInfo.getServerInfo() + " on 127.0.0.1:" + args[0]);
        tomcat.getServer().await();
    }
}
