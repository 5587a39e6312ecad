"""Uses the real program by keyboard alone, as a blind user does with Orca, and checks what
Orca says: every key goes through XTEST (xdotool) to the focused window, and each utterance
is read back from the file that speech-dispatcher writes instead of playing it.

    /usr/bin/python3 scenario.py <student-information> --speech FILE [--log FILE]
                                 [--keep-going] [--transcript]

run.sh provides the buses, the window manager, the speech server and Orca; tests/on-xvfb.sh
the X display. The first missed condition ends the run; with --keep-going each one is listed
and the run carries on. --transcript (or SI_ORCA_TRANSCRIPT=1) checks nothing and only prints
what Orca said. Every run ends with the whole transcript, the keys pressed among it.
"""

import os
import re
import subprocess
import sys
import time

DEADLINE = 20.0  # for any awaited utterance; Orca answers a key within a second or two
KEEP_GOING_DEADLINE = 8.0  # shorter, as many checks may miss in one run
EXIT_DEADLINE = 20.0


class StepFailed(Exception):
    pass


class StepAbandoned(StepFailed):
    """A condition the rest of the step needs was missed: its later checks would only echo it."""


class Run:
    keep_going = False
    transcript_only = False
    step = ''
    failures = []


def fail(message):
    text = f'{Run.step}: {message}'
    if Run.transcript_only:
        return
    if not Run.keep_going:
        raise StepFailed(text)
    print('FAIL ' + text, flush=True)
    Run.failures.append(text)


# --- what Orca said ----------------------------------------------------------------------

class Speech:
    """The speech file, one utterance a line, and the keys pressed between them."""

    def __init__(self, path):
        self.path = path
        self.lines = []
        self.keys = []  # (number of utterances before the keys, the keys)

    def read(self):
        with open(self.path, 'rb') as f:
            data = f.read()
        # Only whole lines: the last may still be being written.
        complete = data[:data.rfind(b'\n') + 1]
        lines = []
        for raw in complete.split(b'\n')[:-1]:
            try:
                text = raw.decode('utf-8')
            except UnicodeDecodeError:
                text = raw.decode('latin-1')  # a language the module has no charset for
            text = ' '.join(text.split())
            if text:
                lines.append(text)
        self.lines = lines
        return lines

    def mark(self, keys):
        self.read()
        self.keys.append((len(self.lines), keys))
        return len(self.lines)

    def since(self, mark):
        return self.read()[mark:]

    def transcript(self):
        self.read()
        out = []
        keys = list(self.keys)
        for i, line in enumerate(self.lines):
            while keys and keys[0][0] <= i:
                out.append(f'  [{keys.pop(0)[1]}]')
            out.append(f'    {line}')
        out.extend(f'  [{k}]' for _, k in keys)
        return '\n'.join(out)


SPEECH = None


def whole(text):
    """A pattern for text said whole: not cut short, and not part of a longer word."""
    return r'(?<!\w)' + r'\s+'.join(re.escape(w) for w in text.split()) + r'(?!\w)'


def hear(what, pattern, mark, flags=re.I, needed=False):
    """Waits until what Orca said since mark matches pattern; returns the match or None.
    A needed condition missed in keep-going mode abandons the step."""
    regex = re.compile(pattern, flags | re.S)
    deadline = KEEP_GOING_DEADLINE if (Run.keep_going or Run.transcript_only) else DEADLINE
    end = time.monotonic() + deadline
    while True:
        Program.current.check_running(what)
        heard = SPEECH.since(mark)
        found = regex.search('\n'.join(heard))
        if found:
            return found
        if time.monotonic() > end:
            message = (f'{what}: expected speech matching /{pattern}/ within {deadline:.0f} s; '
                       f'heard since the key: {heard!r}')
            if needed and Run.keep_going and not Run.transcript_only:
                raise StepAbandoned(f'{Run.step}: {message}')
            fail(message)
            return None
        time.sleep(0.05)


def hear_whole(what, value, mark):
    """Waits for value said whole, then wants it never said cut short (its last letter
    missing) since mark, as the text selected or the last word of an utterance."""
    found = hear(what, whole(value), mark)
    if found is None:
        return None
    settle()
    short = re.compile(r'(?<!\w)' + re.escape(value[:-1]) + r'(?:[.]?\s*$|\s+(?:un)?selected\b)',
                       re.I | re.M)
    for line in SPEECH.since(mark):
        if short.search(line):
            fail(f'{what}: "{value}" also said cut short, as "{line}"; '
                 f'heard since the key: {SPEECH.since(mark)!r}')
            return None
    return found


def hear_state(what, name, on_word, mark):
    """Waits for name said with its state: on, and not first said as off.
    on_word is 'selected' or 'checked'; Orca says 'not selected' or 'not checked' when off.
    """
    words = {'selected': r'(?:not\s+)?(?:selected|checked)',
             'checked': r'(?:not\s+|partially\s+)?checked'}[on_word]
    # The name, then its state before any other option's name.
    found = hear(what, whole(name) + r'(?:(?!Freshman|Sophomore|Junior|Senior).)*?(?<!\w)('
                 + words + r')(?!\w)', mark)
    if found and found.group(1).lower().split()[0] in ('not', 'partially'):
        fail(f'{what}: "{name}" said as "{found.group(1)}", expected it {on_word}; '
             f'heard since the key: {SPEECH.since(mark)!r}')
        return None
    return found


# --- the keyboard ------------------------------------------------------------------------

def settle(quiet=0.4, longest=5.0):
    """Waits until Orca has been silent a moment, so that what it says next answers the next
    key, not a late part of the last answer."""
    end = time.monotonic() + longest
    count = len(SPEECH.read())
    still = time.monotonic()
    while time.monotonic() < end:
        time.sleep(0.05)
        now = len(SPEECH.read())
        if now != count:
            count, still = now, time.monotonic()
        elif time.monotonic() - still >= quiet:
            return


def press(*keys):
    """Presses keys (xdotool names: alt+j, shift+Tab, Return) on the focused window; returns
    the mark that what Orca says in answer follows."""
    settle()
    mark = SPEECH.mark(' '.join(keys))
    subprocess.run(['xdotool', 'key', '--delay', '150'] + list(keys), check=True)
    return mark


def type_text(text):
    settle()
    mark = SPEECH.mark(f'type "{text}"')
    subprocess.run(['xdotool', 'type', '--delay', '80', text], check=True)
    return mark


# --- the program -------------------------------------------------------------------------

class Program:
    current = None

    def __init__(self, path, log):
        env = dict(os.environ, QT_QPA_PLATFORM='xcb')
        self.log = open(log, 'ab')
        mark = SPEECH.mark('the program starts')
        self.process = subprocess.Popen([path], env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        self.expect_end = False
        Program.current = self
        self.started = mark

    def check_running(self, what):
        status = self.process.poll()
        if status is not None and not self.expect_end:
            raise StepFailed(f'{Run.step}: the program ended (exit status {status}) '
                             f'while waiting for {what}')

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()


# --- the steps ---------------------------------------------------------------------------

STUDENT = dict(name='Zoe Adams', grade='Junior', grade_key='alt+j', units='30',
               major='Computer Information Systems', major_downs=3, school='Midtown')
SECOND = dict(name='Liam Brooks', grade='Freshman', grade_key='alt+e')
COMBO_BOX = r'combo\s*box|combobox'
# Orca 43 says the name first, Orca 48 the role.
SCHOOL_COMBO_BOX = (r'(?<!\w)School(?!\w).*(' + COMBO_BOX + r')|(' + COMBO_BOX +
                    r').*(?<!\w)School(?!\w)')


def start_program():
    mark = Program.current.started
    hear('the main window named when it opens', whole('Student Information'), mark)
    hear('the default button focused when the main window opens',
         whole('Add a New Student'), mark)


def hear_quietly(pattern, mark, wait=3.0):
    """Whether pattern is heard since mark within wait seconds; no failure either way."""
    regex = re.compile(pattern, re.I | re.S)
    end = time.monotonic() + wait
    while time.monotonic() < end:
        Program.current.check_running(pattern)
        if regex.search('\n'.join(SPEECH.since(mark))):
            return True
        time.sleep(0.05)
    return False


STUDENTS_LIST = r'(?<!\w)Students(?!\w)'


def orca_version():
    try:
        out = subprocess.run(['/usr/bin/orca', '--version'], capture_output=True, text=True,
                             timeout=30).stdout
        return int(re.search(r'(\d+)', out).group(1))
    except (OSError, subprocess.SubprocessError, AttributeError, ValueError):
        return 0


# Whether a key that selects the current entry, moving nothing, is heard: Qt 6.4 (Debian 12,
# with Orca 43) sends a changed description without its text.
SELECTION_SPOKEN = orca_version() >= 44
ONE_OF_ONE = r'.*\b1\s+of\s+1\b'


def tab_to_main_list():
    """Tabs in the main window until Orca names the list (at most once round); returns the
    mark of the last Tab, or None."""
    for _ in range(6):
        mark = press('Tab')
        if hear_quietly(STUDENTS_LIST, mark):
            return mark
    fail('the list "Students" never got the focus by Tab')
    return None


def choose(list_name, entries, want, mark, needed=False):
    """Chooses want in a focused list by keys, as a user who hears it: Home chooses the first
    entry (an entry named on Tab is only current), then Down until Orca names want; every
    press must name an entry whole."""
    any_entry = '|'.join(whole(e) for e in entries)
    mark = press('Home')
    # Home selects the entry the keyboard stands on (named on Tab, not yet selected): no focus
    # moves, yet the user must hear that it is now selected. Orca 43 with Qt 6.4 cannot be told.
    if SELECTION_SPOKEN:
        hear(f'Home in "{list_name}" says the entry it stands on is now selected',
             r'(?<!not )(?<!\w)selected(?!\w)', mark)
    if want == entries_in_order(list_name, entries)[0]:
        return True
    for _ in range(len(entries)):
        mark = press('Down')
        if not hear(f'Down in "{list_name}" names the entry it moves to', any_entry, mark,
                    needed=needed):
            return False
        if hear_quietly(whole(want), mark, 0.5):
            return True
    if needed and Run.keep_going and not Run.transcript_only:
        raise StepAbandoned(f'{Run.step}: Down in "{list_name}" never reached "{want}"')
    fail(f'Down in "{list_name}" never reached "{want}"')
    return False


def entries_in_order(list_name, entries):
    # The students' list is sorted; the majors stand in their own order.
    return sorted(entries, key=str.casefold) if list_name == 'Students' else entries


MAJORS = ['Accounting', 'Business', 'Computer Information Systems', 'Marketing']


def name_and_grade(s):
    """Opens the student window for an add, types the name and chooses the grade by its key."""
    mark = press('alt+a')
    hear('the student window opens on the field "Name"', r'(?<!\w)Name(?!\w)', mark,
         needed=True)
    type_text(s['name'])
    mark = press(s['grade_key'])
    hear_state(f'{s["grade"]} chosen by its access key', s['grade'], 'selected', mark)


def add_with_every_field():
    s = STUDENT
    name_and_grade(s)
    mark = press('alt+u')
    hear('Alt+U goes to "Units Completed"', whole('Units Completed'), mark)
    type_text(s['units'])
    mark = press('shift+Tab')
    hear_state(f'Shift+Tab from Units Completed onto the grade: {s["grade"]}', s['grade'],
               'selected', mark)
    mark = press('shift+Tab')
    hear_whole('Shift+Tab back onto Name says the whole name', s['name'], mark)
    mark = press('Tab')
    hear_state(f'Tab into the grade group lands on {s["grade"]}', s['grade'], 'selected', mark)
    mark = press('Tab')
    hear('Tab back onto Units Completed names it', whole('Units Completed'), mark)
    hear_whole('... with its whole value', s['units'], mark)
    mark = press('Tab')
    hear('Tab into "Major" names it as a list', r'(?<!\w)Major(?!\w).*\blist\b', mark)
    choose('Major', MAJORS, s['major'], mark)
    mark = press('Tab')
    hear('Tab onto the check box "Deans List"', whole('Deans List') + r'.*check\s*box', mark)
    mark = press('space')
    hear('Space ticks "Deans List"', r'(?<!not )(?<!\w)checked(?!\w)', mark)
    mark = press('shift+Tab')
    hear_whole(f'Shift+Tab back into "Major" names its entry', s['major'], mark)
    mark = press('Tab')
    hear_state('Tab back onto "Deans List" says it is ticked', 'Deans List', 'checked', mark)
    mark = press('Tab')
    hear('Tab onto "School" names it as a combo box',
         SCHOOL_COMBO_BOX, mark)
    type_text(s['school'])
    mark = press('shift+Tab')
    hear_state('Shift+Tab from "School" onto "Deans List"', 'Deans List', 'checked', mark)
    mark = press('Tab')
    hear_whole('Tab back onto "School" says the whole school typed', s['school'], mark)
    mark = press('Return')
    hear('Enter adds the student: the focus is back on "Add a New Student", which opened the '
         'window', whole('Add a New Student') + r'\s+(?:push\s*)?button', mark)
    mark = tab_to_main_list()
    if mark is not None:
        hear(f'the list "Students" names its entry when it gets the focus',
             STUDENTS_LIST + r'.*' + whole(s['name']), mark)
        hear('... and says it is not selected', whole(s['name']) + r'.*\bnot\s+selected\b', mark)


def add_second():
    s = SECOND
    name_and_grade(s)
    mark = press('Return')
    hear('Enter adds the student: the focus is back in the list, which opened the window, '
         'on its entry', STUDENTS_LIST + r'.*' + whole(STUDENT['name']) + r'.*\b2\s+of\s+2\b',
         mark)


def choose_in_main_list(name):
    mark = tab_to_main_list()
    if mark is not None:
        choose('Students', [STUDENT['name'], SECOND['name']], name, mark, needed=True)


def display():
    s = STUDENT
    choose_in_main_list(s['name'])
    mark = press('alt+d')
    hear('Alt+D opens the student window, which says its mode', whole('Display a student'),
         mark, needed=True)
    hear_whole('... and the focused field, Name, with the whole name', s['name'], mark)
    mark = press('Tab')
    hear_state(f'Tab into the grade group lands on the grade that is on, {s["grade"]}',
               s['grade'], 'selected', mark)
    mark = press('Tab')
    hear('Tab onto Units Completed names it', whole('Units Completed'), mark)
    hear_whole('... with its whole value', s['units'], mark)
    mark = press('Tab')
    hear_whole(f'Tab into "Major" names its entry', s['major'], mark)
    mark = press('Tab')
    hear_state('Tab onto "Deans List" says it is ticked', 'Deans List', 'checked', mark)
    mark = press('Tab')
    hear('Tab onto "School" names it as a combo box',
         SCHOOL_COMBO_BOX, mark)
    hear_whole('... with the whole school', s['school'], mark)
    mark = press('alt+c')
    hear('Alt+C closes the window: the focus is back in the list, on the student displayed',
         STUDENTS_LIST + r'.*' + whole(s['name']), mark)
    hear('... its list counts the two students', STUDENTS_LIST + r'.*\bwith\s+2\s+items\b', mark)


def remove():
    choose_in_main_list(STUDENT['name'])
    mark = press('alt+r')
    hear('Alt+R opens the student window, which says its mode', whole('Remove a student'), mark,
         needed=True)
    mark = press('Return')
    left = whole(SECOND['name']) + ONE_OF_ONE
    # Orca 48 takes a key after the program has answered it: it then finds the focus itself,
    # silently, and drops the program's announcement. A user who hears nothing asks where the
    # focus is (Where Am I, keypad Enter), which must name what is left in the list, and count it.
    if not hear_quietly(STUDENTS_LIST + r'.*' + left, mark, 3.0):
        mark = press('KP_Enter')
        hear('after the remove Where Am I names what is left in the list, 1 of 1', left, mark)


NAME_FIELD = r'(?<!\w)Name(?!\w)'


def print_menu_and_error():
    mark = press('alt+a')
    hear('the student window opens on the field "Name"', NAME_FIELD, mark, needed=True)
    mark = press('alt+p')
    # Qt's accessibility bridge has no role that screen readers call a menu, so the menu is
    # known by its items, their places and access keys.
    hear('Alt+P opens the menu on its first item "Print Schools"', whole('Print Schools'), mark)
    hear('... its position, 1 of 2', whole('Print Schools') + r'.*\b1\s+of\s+2\b', mark)
    hear('... and its access key, C',
         whole('Print Schools') + r'.*(?<!\w)(?:alt\s*\+\s*)?c(?!\w)', mark)
    mark = press('Down')
    hear('Down names the second item, 2 of 2', whole('Print Student') + r'.*\b2\s+of\s+2\b', mark)
    mark = press('Escape')
    # Esc closes the menu; the menu bar may stay active, as on Windows, until a second Esc.
    if not hear_quietly(NAME_FIELD, mark):
        hear('Esc closes the menu', r'(?<!\w)Print(?!\w)', mark)
        mark = press('Escape')
        hear('a second Esc leaves the menu bar: the focus is back on Name', NAME_FIELD, mark)
    if re.search('Print Schools|Print Student', '\n'.join(SPEECH.since(mark)), re.I):
        fail(f'Esc left the menu open: heard since the key: {SPEECH.since(mark)!r}')
    mark = press('alt+p', 't')
    hear('Print Student with empty fields: a message box "Error"',
         r'(?<!\w)Error(?!\w).*\b(dialog|alert)\b|\b(dialog|alert)\b.*(?<!\w)Error(?!\w)', mark)
    hear_whole('... that says its text', 'Please Enter Your Name', mark)
    hear('... with its button OK', r'(?<!\w)OK\s+(?:push\s+)?button', mark)
    # OK has no access key: nothing may be said as one after it (Orca 48 took Enter, which
    # presses the button, for an access key and said "r").
    settle()
    said = SPEECH.since(mark)
    ok = max((i for i, line in enumerate(said) if re.search(r'(?<!\w)OK(?!\w)', line)),
             default=len(said))
    keys = [line for line in said[ok + 1:]
            if re.fullmatch(r'\s*(?:alt\s*\+\s*)?[a-z]\.?\s*', line, re.I)]
    if keys:
        fail(f'the button OK was said with an access key it does not have: {keys!r}')
    mark = press('Return')
    hear('Enter closes the message: the focus is back on Name', NAME_FIELD, mark)
    mark = press('alt+c')
    hear('Alt+C closes the window: the focus is back in the list, on the student left',
         STUDENTS_LIST + r'.*' + whole(SECOND['name']), mark)
    hear('... its list counts the one student left', STUDENTS_LIST + r'.*\bwith\s+1\s+item\b',
         mark)


def about():
    mark = press('alt+h')
    hear('Alt+H opens the menu "Help" on its item "About"', r'(?<!\w)About(?!\w)', mark)
    mark = press('a')
    hear('the About box says its title', whole('About Student Information'), mark,
         needed=True)
    hear('... as a dialog', r'\bdialog\b', mark)
    hear('... reads the version unasked', whole('Version 1.0'), mark)
    hear('... the copyright unasked', r'(?<!\w)Copyright\s+(?:©\s*|copyright\s+)?2026(?!\w)',
         mark)
    hear_whole('... and the author unasked', 'Written by Margaret Ellis', mark)
    mark = press('Return')
    hear('Enter (OK) closes the About box: the focus is back in the list, on its student',
         STUDENTS_LIST + r'.*' + whole(SECOND['name']), mark)


def recover():
    """After a step that went wrong in keep-going mode: closes whatever is up, with keys that
    do nothing elsewhere: Esc (a menu, a message box), Alt+K (About's OK), Alt+C (Cancel)."""
    for key in ('Escape', 'Escape', 'alt+k', 'alt+c'):
        press(key)
    settle()


def exit_program():
    Program.current.expect_end = True
    press('alt+x')
    try:
        status = Program.current.process.wait(EXIT_DEADLINE)
    except subprocess.TimeoutExpired:
        fail(f'the program still runs {EXIT_DEADLINE:.0f} s after Alt+X')
        return
    if status != 0:
        fail(f'the program ended with exit status {status}, expected 0')


def report():
    print('--- What Orca said (one utterance a line, the keys pressed in brackets):', flush=True)
    print(SPEECH.transcript(), flush=True)


def print_program_log(log):
    try:
        with open(log, 'rb') as f:
            text = f.read().decode('utf-8', 'replace')
    except OSError:
        text = ''
    print('--- The program\'s output (stdout and stderr):')
    print(text if text.strip() else '  (nothing)', flush=True)


def main():
    global SPEECH
    args = sys.argv[1:]
    options = {}
    program = None
    i = 0
    while i < len(args):
        if args[i] in ('--speech', '--log'):
            options[args[i]] = args[i + 1]
            i += 2
            continue
        if args[i] == '--keep-going':
            Run.keep_going = True
        elif args[i] == '--transcript':
            Run.transcript_only = True
        elif program is None:
            program = args[i]
        else:
            sys.exit(f'scenario.py: unexpected argument {args[i]!r}')
        i += 1
    if os.environ.get('SI_ORCA_TRANSCRIPT', '') not in ('', '0'):
        Run.transcript_only = True
    if program is None or '--speech' not in options:
        sys.exit(__doc__)
    log = options.get('--log', os.devnull)
    SPEECH = Speech(options['--speech'])

    steps = [('the program starts', start_program),
             (f'add {STUDENT["name"]} with every field', add_with_every_field),
             (f'add {SECOND["name"]}', add_second),
             (f'display {STUDENT["name"]}', display),
             (f'remove {STUDENT["name"]}', remove),
             ('the menu "Print" and an error message', print_menu_and_error),
             ('About', about),
             ('Exit', exit_program)]
    status = 0
    Run.step = 'start'
    try:
        Program(program, log)
        for name, step in steps:
            Run.step = name
            print(f'-- {name}', flush=True)
            before = len(Run.failures)
            try:
                step()
                if len(Run.failures) > before and Program.current.process.poll() is None \
                        and step is not exit_program:
                    recover()
            except StepAbandoned as e:
                print(f'FAIL {e} (step abandoned)', flush=True)
                Run.failures.append(str(e))
                if Program.current.process.poll() is None:
                    recover()
                    continue
                print('NOTE the program ended; it is started again', flush=True)
                Program(program, log)
                start_program()
            except StepFailed as e:
                if not Run.keep_going or Program.current.process.poll() is None:
                    raise
                # The program ended: the later steps go on with a fresh one.
                print(f'FAIL {e} (step abandoned; the program is started again)', flush=True)
                Run.failures.append(str(e))
                Program(program, log)
                start_program()
    except StepFailed as e:
        print(f'FAIL {e}', flush=True)
        status = 1
    finally:
        if Program.current:
            Program.current.kill()
    report()
    # The accessibility bridge logs each object a screen reader asked for and could not find:
    # an object that went away while the reader still held it, so that the reader heard nothing.
    try:
        lost = sum('Could not find accessible' in line
                   for line in open(log, encoding='utf-8', errors='replace'))
    except OSError:
        lost = 0
    print(f'The program logged {lost} lines "Could not find accessible on path"')
    if lost and not Run.transcript_only:
        Run.failures.append(f'the screen reader asked {lost} times for objects the program '
                            'no longer had')
    if status == 0 and Run.failures:
        print(f'{len(Run.failures)} failures:')
        for failure in Run.failures:
            print('  ' + failure)
        status = 1
    if status != 0:
        print_program_log(log)
    elif Run.transcript_only:
        print('Transcript only: nothing was checked')
    else:
        print('PASS: Orca said every value whole, with its role and state')
    return status


if __name__ == '__main__':
    sys.exit(main())
