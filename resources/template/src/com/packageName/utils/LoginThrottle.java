package com.$packageName.utils;

import java.text.Normalizer;
import java.util.Iterator;
import java.util.LinkedHashMap;
import java.util.Locale;
import java.util.Map;

/*
 * 登录 (和修改密码) 的失败限制, 记录在内存中。失败按三种键计数:
 *   - 账号 + 客户端地址: 连续失败 PAIR_FREE 次后, 这个地址暂停这个账号的登录 LOCK_MILLIS,
 *     之后每多失败一次暂停时间加倍 (最长 MAX_LOCK_MILLIS); 其他地址不受影响;
 *   - 客户端地址 (不论账号): 失败 ADDRESS_FREE 次后, 这个地址暂停所有登录, 同样加倍;
 *   - 账号 (不论地址): 失败 ACCOUNT_FREE 次后, 这个账号的每次登录都先等待一段时间
 *     (DELAY_MILLIS, 每多失败一次加倍, 最长 MAX_DELAY_MILLIS), 但不暂停:
 *     从没有失败记录的地址用正确的密码仍然能登录。
 * 账号是数据库匹配到的管理员的用户名 (数据库比较用户名时不分大小写和重音, 所以 admin、ADMIN、
 * ádmin 是同一个账号); 不存在的用户名按折叠大小写和重音后的写法计数, 与存在的用户名同样对待。
 * 登录成功只清除这个账号在这个地址的记录。最后一次失败 (或暂停结束) FORGET_MILLIS 之后记录作废。
 * 占用的内存有上限: 未达到限制的记录最多 COUNTING_ENTRIES 条, 已达到限制 (暂停或延迟中) 的记录
 * 最多 HOLDING_ENTRIES 条; 满了时删除最久没有失败的记录, 从不整表清空。
 * 同时进行的尝试也计入限制: 达到限制前, 一个键同时进行的尝试不超过剩余的次数; 更多的尝试
 * 等前面的结束再开始 (最多等 SLOT_WAIT_MILLIS), 所以同一地址 (例如同一个代理之后) 的多个用户
 * 同时登录时只是稍等, 不会被拒绝。
 */
public final class LoginThrottle {

    /*同一账号在同一地址允许连续失败的次数*/
    public static final int PAIR_FREE = 5;
    /*同一地址 (不论账号) 允许失败的次数*/
    public static final int ADDRESS_FREE = 20;
    /*同一账号 (不论地址) 失败多少次之后, 每次登录都先等待*/
    public static final int ACCOUNT_FREE = 10;

    /*第一次暂停的时间及其上限 (毫秒)*/
    private static final long LOCK_MILLIS = 60000L;
    private static final long MAX_LOCK_MILLIS = 15L * 60L * 1000L;
    /*账号登录前的等待时间及其上限 (毫秒)*/
    private static final long DELAY_MILLIS = 250L;
    private static final long MAX_DELAY_MILLIS = 4000L;

    /*进行中的尝试占满剩余次数时, 新的尝试最多等待的时间 (毫秒)*/
    private static final long SLOT_WAIT_MILLIS = 15000L;
    /*最后一次失败或暂停结束之后多久作废记录*/
    private static final long FORGET_MILLIS = 15L * 60L * 1000L;

    /*记录条数的上限: 未达到限制的记录 (每条只花攻击者一次失败, 删掉一条最多让出几次尝试),
      已达到限制的记录 (每条至少花 PAIR_FREE 次失败, 保存暂停和等待)*/
    private static final int COUNTING_ENTRIES = 1000;
    private static final int HOLDING_ENTRIES = 10000;

    private static final String PAIR = "p:";
    private static final String ADDRESS = "a:";
    private static final String ACCOUNT = "u:";
    private static final String UNKNOWN_ACCOUNT = "n:";

    /*一个键的记录: 失败次数, 进行中的尝试数, 最后一次失败 (或建立) 的时刻, 暂停到的时刻*/
    private static final class Entry {
        int failures;
        int pending;
        long last;
        long lockedUntil;
    }

    /*按最后一次失败的先后排列 (最早的在前)*/
    private static final Map<String, Entry> COUNTING = new LinkedHashMap<String, Entry>();
    private static final Map<String, Entry> HOLDING = new LinkedHashMap<String, Entry>();

    private LoginThrottle() {
    }

    /*
     * 一次登录尝试: Begin 返回它 (暂停中时返回 null), 先 Pause(), 核对密码后调用 Failed() 或
     * Succeeded(); 无论如何最后都调用 End() (出错时只结束尝试, 不计失败)。
     */
    public static final class Attempt {
        private final String account;
        private final String address;
        private final long delay;
        private boolean ended;

        private Attempt(String account, String address, long delay) {
            this.account = account;
            this.address = address;
            this.delay = delay;
        }

        /*等待的毫秒数 (账号失败过多时大于 0)*/
        public long Delay() {
            return delay;
        }

        /*核对密码之前等待*/
        public void Pause() {
            if (delay <= 0) {
                return;
            }
            try {
                Thread.sleep(delay);
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
        }

        public void Failed() {
            Finish(this, true, false);
        }

        public void Succeeded() {
            Finish(this, false, true);
        }

        public void End() {
            Finish(this, false, false);
        }
    }

    /*
     * 计数用的账号: 数据库匹配到的管理员的用户名 (storedName), 没有匹配到时为折叠后的
     * 输入 (typedName); 两者都没有时为 null (只按地址计数)。
     */
    public static String Account(String storedName, String typedName) {
        if (storedName != null) {
            return ACCOUNT + storedName;
        }
        return typedName == null ? null : UNKNOWN_ACCOUNT + Fold(typedName);
    }

    /*不分大小写和重音的写法: 兼容分解后去掉附加符号, 再转为小写*/
    static String Fold(String name) {
        String decomposed = Normalizer.normalize(name.trim(), Normalizer.Form.NFKD);
        StringBuilder folded = new StringBuilder(decomposed.length());
        for (int i = 0; i < decomposed.length(); i++) {
            char c = decomposed.charAt(i);
            if (Character.getType(c) != Character.NON_SPACING_MARK) {
                folded.append(c);
            }
        }
        return folded.toString().toUpperCase(Locale.ROOT).toLowerCase(Locale.ROOT);
    }

    /*
     * 开始一次尝试: 地址或 (账号, 地址) 正在暂停时返回 null。account 为 null 时只按地址计数
     * (设置第一个管理员)。
     */
    public static synchronized Attempt Begin(String account, String address) {
        long deadline = System.currentTimeMillis() + SLOT_WAIT_MILLIS;
        String addressKey = ADDRESS + address;
        String pairKey = account == null ? null : PairKey(account, address);
        while (true) {
            long now = System.currentTimeMillis();
            Prune(now);
            if (Locked(Find(addressKey), now) || pairKey != null && Locked(Find(pairKey), now)) {
                return null;
            }
            if (Allows(Find(addressKey), ADDRESS_FREE, now)
                    && (pairKey == null || Allows(Find(pairKey), PAIR_FREE, now))) {
                break;
            }
            /*进行中的尝试已占满剩余的次数: 等它们结束 (同一地址同时登录的正常用户也只是稍等)*/
            if (now >= deadline || !WaitForSlot(deadline - now)) {
                return null;
            }
        }
        long now = System.currentTimeMillis();
        Obtain(addressKey, now).pending++;
        if (pairKey != null) {
            Obtain(pairKey, now).pending++;
        }
        return new Attempt(account, address, account == null ? 0L : Delay(Find(account)));
    }

    /*正在暂停*/
    private static boolean Locked(Entry entry, long now) {
        return entry != null && now < entry.lockedUntil;
    }

    /*等一个进行中的尝试结束 (最多 millis 毫秒); 线程被中断时返回 false*/
    private static boolean WaitForSlot(long millis) {
        try {
            LoginThrottle.class.wait(millis);
            return true;
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
            return false;
        }
    }

    /*还能开始一次尝试: 没有暂停, 并且失败次数加上进行中的尝试数还没有达到限制
      (达到限制后, 暂停结束时一次只能有一个尝试)*/
    private static boolean Allows(Entry entry, int free, long now) {
        return entry == null || now >= entry.lockedUntil
                && (entry.failures + entry.pending < free || entry.pending == 0);
    }

    /*账号失败 ACCOUNT_FREE 次以后的等待时间*/
    private static long Delay(Entry entry) {
        if (entry == null || entry.failures < ACCOUNT_FREE) {
            return 0L;
        }
        int doublings = Math.min(entry.failures - ACCOUNT_FREE, 10);
        return Math.min(DELAY_MILLIS << doublings, MAX_DELAY_MILLIS);
    }

    private static synchronized void Finish(Attempt attempt, boolean failed, boolean succeeded) {
        if (attempt.ended) {
            return;
        }
        attempt.ended = true;
        /*等着开始的尝试重新检查*/
        LoginThrottle.class.notifyAll();
        long now = System.currentTimeMillis();
        String addressKey = ADDRESS + attempt.address;
        String pairKey = attempt.account == null ? null : PairKey(attempt.account, attempt.address);
        for (String key : new String[] {addressKey, pairKey}) {
            Entry entry = key == null ? null : Find(key);
            if (entry != null && entry.pending > 0) {
                entry.pending--;
            }
        }
        if (failed) {
            Fail(addressKey, ADDRESS_FREE, true, now);
            if (pairKey != null) {
                Fail(pairKey, PAIR_FREE, true, now);
                Fail(attempt.account, ACCOUNT_FREE, false, now);
            }
        } else if (succeeded && pairKey != null) {
            Entry pair = Find(pairKey);
            if (pair != null) {
                pair.failures = 0;
                pair.lockedUntil = 0L;
            }
        }
        DropIfEmpty(addressKey);
        if (pairKey != null) {
            DropIfEmpty(pairKey);
        }
    }

    /*记一次失败; 达到限制后暂停 (locks 为 true 时) 并移入 HOLDING*/
    private static void Fail(String key, int free, boolean locks, long now) {
        Entry entry = Obtain(key, now);
        entry.failures++;
        entry.last = now;
        boolean holding = entry.failures >= free;
        if (holding && locks) {
            int doublings = Math.min(entry.failures - free, 10);
            entry.lockedUntil = now + Math.min(LOCK_MILLIS << doublings, MAX_LOCK_MILLIS);
        }
        /*移到表尾 (最新)*/
        COUNTING.remove(key);
        HOLDING.remove(key);
        Put(holding ? HOLDING : COUNTING, key, entry, holding ? HOLDING_ENTRIES : COUNTING_ENTRIES);
    }

    private static String PairKey(String account, String address) {
        /*地址中没有 "|", 所以键不会混淆*/
        return PAIR + address + "|" + account;
    }

    private static Entry Find(String key) {
        Entry entry = HOLDING.get(key);
        return entry != null ? entry : COUNTING.get(key);
    }

    private static Entry Obtain(String key, long now) {
        Entry entry = Find(key);
        if (entry == null) {
            entry = new Entry();
            entry.last = now;
            Put(COUNTING, key, entry, COUNTING_ENTRIES);
        }
        return entry;
    }

    /*放入表尾; 超过上限时删除最早的 (没有进行中的尝试的) 记录*/
    private static void Put(Map<String, Entry> table, String key, Entry entry, int limit) {
        table.put(key, entry);
        for (Iterator<Map.Entry<String, Entry>> it = table.entrySet().iterator();
                table.size() > limit && it.hasNext();) {
            Map.Entry<String, Entry> eldest = it.next();
            if (eldest.getValue().pending == 0 && !eldest.getKey().equals(key)) {
                it.remove();
            }
        }
    }

    /*没有失败、没有暂停也没有进行中的尝试的记录不必保存*/
    private static void DropIfEmpty(String key) {
        Entry entry = Find(key);
        if (entry != null && entry.failures == 0 && entry.pending == 0 && entry.lockedUntil == 0L) {
            COUNTING.remove(key);
            HOLDING.remove(key);
        }
    }

    /*删除表头已经作废的记录 (最后一次失败和暂停结束都已过去 FORGET_MILLIS)*/
    private static void Prune(long now) {
        Prune(COUNTING, now);
        Prune(HOLDING, now);
    }

    private static void Prune(Map<String, Entry> table, long now) {
        for (Iterator<Entry> it = table.values().iterator(); it.hasNext();) {
            Entry entry = it.next();
            if (entry.pending > 0 || Math.max(entry.last, entry.lockedUntil) + FORGET_MILLIS >= now) {
                return;
            }
            it.remove();
        }
    }
}
