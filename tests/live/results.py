"""One line per check, and the tally."""

import traceback


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0
        self.prefix = ""  # e.g. "[tomcat] ": which container the checks ran on

    def check(self, name, why):
        """Records a check: why is None when it passed, else what went wrong."""
        name = self.prefix + name
        if why is None:
            self.passed += 1
            print("PASS " + name, flush=True)
        else:
            self.failed += 1
            print("FAIL %s: %s" % (name, why), flush=True)
        return why is None

    def stage(self, name, stage, stopped):
        """Runs one stage; an exception of type stopped, or any other, fails the stage's check
        and the later stages still run."""
        try:
            stage()
        except stopped as error:
            self.check("%s stage" % name, "stopped: %s" % error)
        except Exception as error:  # a broken page must not hide the later stages
            traceback.print_exc()
            self.check("%s stage" % name, "stopped by %s: %s" % (type(error).__name__, error))

    def summary(self):
        return "%d passed, %d failed" % (self.passed, self.failed)


def first_difference(pairs):
    """The first (what, got, expected) whose got differs from expected, as a text, or None."""
    for what, got, expected in pairs:
        if got != expected:
            return "%s: got %r, expected %r" % (what, got, expected)
    return None


def snippet(page_text, size=300):
    return page_text[:size] + ("..." if len(page_text) > size else "")
