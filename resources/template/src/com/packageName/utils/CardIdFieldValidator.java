package com.$packageName.utils;

import com.opensymphony.xwork2.validator.ValidationException;
import com.opensymphony.xwork2.validator.validators.FieldValidatorSupport;

/**
 * Struts 2 自定义字段校验器: 检查中国居民身份证号码。
 *
 * 接受 15 位 (全部数字) 和 18 位 (前 17 位数字, 最后一位数字或 X) 的号码,
 * 检查出生日期是否存在, 18 位号码还检查最后一位校验码 (GB 11643-1999)。
 * 字段为空时不报错 (是否必填请另加 requiredstring 校验器)。
 *
 * 使用方法: 在 src 目录下建立 validators.xml 注册本校验器
 *
 *   <?xml version="1.0" encoding="UTF-8"?>
 *   <!DOCTYPE validators PUBLIC "-//Apache Struts//XWork Validator Definition 1.0//EN"
 *           "http://struts.apache.org/dtds/xwork-validator-definition-1.0.dtd">
 *   <validators>
 *       <validator name="cardid" class="com.$packageName.utils.CardIdFieldValidator"/>
 *   </validators>
 *
 * 然后在校验文件中使用:
 *
 *   <field name="student.cardId">
 *       <field-validator type="cardid">
 *           <message>身份证号码不正确!</message>
 *       </field-validator>
 *   </field>
 */
public class CardIdFieldValidator extends FieldValidatorSupport {

    /*18 位号码前 17 位的加权因子*/
    private static final int[] WEIGHTS = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};

    /*校验码: 加权和除以 11 的余数对应的字符*/
    private static final char[] CHECK_CODES = {'1', '0', 'X', '9', '8', '7', '6', '5', '4', '3', '2'};

    public void validate(Object object) throws ValidationException {
        String fieldName = getFieldName();
        Object value = this.getFieldValue(fieldName, object);
        if (value == null) {
            return;
        }
        String cardId = value.toString().trim();
        if (cardId.length() == 0) {
            return;
        }
        if (!isValidCardId(cardId)) {
            addFieldError(fieldName, object);
        }
    }

    /*判断一个字符串是否是合法的 15 位或 18 位身份证号码*/
    public static boolean isValidCardId(String cardId) {
        if (cardId == null) {
            return false;
        }
        String id = cardId.trim().toUpperCase();
        if (id.length() == 15) {
            if (!allDigits(id, 0, 15)) {
                return false;
            }
            return isValidDate("19" + id.substring(6, 12));
        }
        if (id.length() == 18) {
            if (!allDigits(id, 0, 17)) {
                return false;
            }
            char last = id.charAt(17);
            if (!(Character.isDigit(last) || last == 'X')) {
                return false;
            }
            if (!isValidDate(id.substring(6, 14))) {
                return false;
            }
            int sum = 0;
            for (int i = 0; i < 17; i++) {
                sum += (id.charAt(i) - '0') * WEIGHTS[i];
            }
            return CHECK_CODES[sum % 11] == last;
        }
        return false;
    }

    private static boolean allDigits(String s, int begin, int end) {
        for (int i = begin; i < end; i++) {
            char c = s.charAt(i);
            if (c < '0' || c > '9') {
                return false;
            }
        }
        return true;
    }

    /*检查 yyyyMMdd 形式的日期是否存在*/
    private static boolean isValidDate(String yyyyMMdd) {
        int year = Integer.parseInt(yyyyMMdd.substring(0, 4));
        int month = Integer.parseInt(yyyyMMdd.substring(4, 6));
        int day = Integer.parseInt(yyyyMMdd.substring(6, 8));
        if (year < 1800 || month < 1 || month > 12 || day < 1) {
            return false;
        }
        int[] daysOfMonth = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        boolean leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        int maxDay = daysOfMonth[month - 1];
        if (month == 2 && leap) {
            maxDay = 29;
        }
        return day <= maxDay;
    }
}
