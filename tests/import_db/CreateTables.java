// Creates the tables of a generated project the way the deployed application does: its own
// HibernateUtil builds the SessionFactory from hibernate.cfg.xml (hbm2ddl update), with the
// connection given as -Dhibernate.* system properties.
public class CreateTables {
    public static void main(String[] args) throws Exception {
        Class<?> util = Class.forName("com." + args[0] + ".utils.HibernateUtil");
        Object factory = util.getMethod("getSessionFactory").invoke(null);
        factory.getClass().getMethod("close").invoke(factory);
    }
}
