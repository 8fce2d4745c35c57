package com.$packageName.utils;

import java.time.LocalDate;
import java.time.format.DateTimeFormatter;
import java.time.format.DateTimeParseException;
import java.time.format.ResolverStyle;
import java.util.HashMap;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

import org.apache.struts2.dispatcher.HttpParameters;
import org.apache.struts2.dispatcher.Parameter;

import com.opensymphony.xwork2.ActionContext;
import com.opensymphony.xwork2.ActionInvocation;
import com.opensymphony.xwork2.interceptor.PreResultListener;
import com.opensymphony.xwork2.interceptor.ValidationAware;
import com.opensymphony.xwork2.validator.ValidationException;
import com.opensymphony.xwork2.validator.validators.FieldValidatorSupport;

/**
 * Struts 2 字段校验器 formvalue (在 src/validators.xml 中注册): 检查请求中提交的原始文本,
 * 各类的 <类>Action-<类>_Add<类>-validation.xml 和 ..._Modify<类>-validation.xml 使用它。
 *
 * 参数 check:
 *   required  必须填写 (只有空格也算没有填写)
 *   maxlength 不能超过 maxLength 个字符
 *   int       -2147483648 到 2147483647 之间的整数
 *   float     有限的浮点数
 *   date      yyyy-MM-dd 格式的有效日期
 * 除 required 外, 没有填写的字段不报错; 同一字段提交了多个值时总是报错。
 * 错误信息就是 <message> 的文字, 原样显示。类型转换失败时 Struts 已加上的英文信息
 * 被换成这里的信息, 每个字段只显示一条。没有填写的数字字段在表单中仍显示为空, 而不是 0。
 */
public class FormValueValidator extends FieldValidatorSupport {

    private static final DateTimeFormatter DATE =
        DateTimeFormatter.ofPattern("uuuu-MM-dd").withResolverStyle(ResolverStyle.STRICT);

    private String check = "required";
    private int maxLength;

    public void setCheck(String check) {
        this.check = check;
    }
    public String getCheck() {
        return check;
    }
    public void setMaxLength(int maxLength) {
        this.maxLength = maxLength;
    }
    public int getMaxLength() {
        return maxLength;
    }

    public void validate(Object object) throws ValidationException {
        String name = getValidatorContext().getFullFieldName(getFieldName());
        String[] values = submitted(name);
        if (accepts(values)) {
            return;
        }
        if (values.length == 0 || values[0] == null || values[0].trim().isEmpty()) {
            showEmpty(name);
        }
        if (ActionContext.getContext().getConversionErrors().containsKey(name)
                && object instanceof ValidationAware) {
            ValidationAware aware = (ValidationAware) object;
            Map<String, List<String>> errors =
                new LinkedHashMap<String, List<String>>(aware.getFieldErrors());
            errors.remove(name);
            aware.setFieldErrors(errors);
        }
        getValidatorContext().addFieldError(getFieldName(), getDefaultMessage());
    }

    /*表单再次显示时, 这个字段显示为空*/
    private static void showEmpty(String name) {
        ActionInvocation invocation = ActionContext.getContext().getActionInvocation();
        if (invocation == null) {
            return;
        }
        final Map<Object, Object> overrides = new HashMap<Object, Object>();
        overrides.put(name, "\"\"");
        invocation.addPreResultListener(new PreResultListener() {
            public void beforeResult(ActionInvocation invocation, String resultCode) {
                invocation.getStack().setExprOverrides(overrides);
            }
        });
    }

    /*请求中这个字段的所有值*/
    private static String[] submitted(String name) {
        HttpParameters parameters = ActionContext.getContext().getParameters();
        Parameter parameter = parameters == null ? null : parameters.get(name);
        String[] values = parameter == null ? null : parameter.getMultipleValues();
        return values == null ? new String[0] : values;
    }

    private boolean accepts(String[] values) {
        if (values.length > 1) {
            return false;
        }
        String value = values.length == 0 || values[0] == null ? "" : values[0];
        if (value.trim().isEmpty()) {
            return !"required".equals(check);
        }
        if ("maxlength".equals(check)) {
            return value.codePointCount(0, value.length()) <= maxLength;
        }
        if ("int".equals(check)) {
            return isInt(value.trim());
        }
        if ("float".equals(check)) {
            return isFloat(value.trim());
        }
        if ("date".equals(check)) {
            return isDate(value);
        }
        return true;
    }

    private static boolean isInt(String value) {
        try {
            Integer.parseInt(value);
            return true;
        } catch (NumberFormatException e) {
            return false;
        }
    }

    private static boolean isFloat(String value) {
        try {
            float number = Float.parseFloat(value);
            return !Float.isNaN(number) && !Float.isInfinite(number);
        } catch (NumberFormatException e) {
            return false;
        }
    }

    private static boolean isDate(String value) {
        if (!value.matches("[0-9]{4}-[0-9]{2}-[0-9]{2}")) {
            return false;
        }
        try {
            LocalDate.parse(value, DATE);
            return true;
        } catch (DateTimeParseException e) {
            return false;
        }
    }
}
