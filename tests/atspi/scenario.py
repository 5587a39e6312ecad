"""Drives the whole program through the desktop's accessibility bus alone, as a screen reader,
voice control or switch access does: actions, editable text and selection, then reads back
names, roles, states, descriptions and text, and the printed documents. No key or pointer
event is sent.

    /usr/bin/python3 scenario.py <atspi_host> [--keep-going]

run.sh provides the session bus and the accessibility bus, tests/on-xvfb.sh the X display.
The first missed condition ends the run; with --keep-going each failure is listed and the run
carries on with the next step (restarting the program if it ended), to see everything that goes
wrong.
"""

import collections
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import Atspi, GLib

DEADLINE = 30.0  # for any awaited condition
PROMPT = 2.0  # an action call that takes longer stalls the assistive technology waiting on it
# How long an effect that should not come is looked for: a pressed button clicks after
# QAbstractButton::animateClick's 100 ms.
QUIET = 0.5


class StepFailed(Exception):
    pass


class ProgramEnded(StepFailed):
    pass


class Run:
    keep_going = False
    step = ''
    failures = []


def fail(message):
    text = f'{Run.step}: {message}'
    if not Run.keep_going:
        raise StepFailed(text)
    print('FAIL ' + text, flush=True)
    Run.failures.append(text)


def check(ok, message):
    if not ok:
        fail(message)
    return ok


class Heard:
    """The selected-state changes of list entries that the program announces: (name, selected);
    and the names of the objects announced as taking the focus."""
    changes = []
    focused = []

    @classmethod
    def listen(cls):
        pyatspi.Registry.registerEventListener(
            lambda event: cls.changes.append((event.source.name, bool(event.detail1))),
            'object:state-changed:selected')
        pyatspi.Registry.registerEventListener(
            lambda event: event.detail1 and cls.focused.append(event.source.name),
            'object:state-changed:focused')

    @classmethod
    def take(cls):
        """Hands the events that arrived to listen's handler."""
        context = GLib.MainContext.default()
        while context.iteration(False):
            pass


def wait_for(what, probe, deadline=DEADLINE):
    """Returns probe()'s first true value; a missed deadline ends the step."""
    end = time.monotonic() + deadline
    while True:
        Program.current.check_running(what)
        Heard.take()
        try:
            value = probe()
        except GLib.GError:
            value = None  # an object that went away while it was read
        if value:
            return value
        if time.monotonic() > end:
            raise StepFailed(f'{Run.step}: {what}: not within {deadline:.0f} s')
        time.sleep(0.05)


def expect(what, probe, want, holds=lambda got, want: got == want):
    """Waits until probe() gives want; in keep-going mode a miss is listed and the step goes on."""
    seen = [None]

    def matches():
        seen[0] = probe()
        return holds(seen[0], want)

    try:
        wait_for(what, matches, DEADLINE if not Run.keep_going else 5.0)
    except ProgramEnded:
        raise
    except StepFailed:
        fail(f'{what}: expected {want!r}, got {seen[0]!r}')
        return False
    return True


# --- the program -------------------------------------------------------------------------

class Program:
    current = None

    def __init__(self, host, folder):
        env = dict(os.environ, QT_QPA_PLATFORM='xcb', QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1')
        self.process = subprocess.Popen([host, str(folder)], env=env)
        self.expect_end = False
        Program.current = self
        self.app = wait_for('the program on the accessibility bus', self.find_app)
        self.version = tuple(int(n) for n in self.app.get_toolkit_version().split('.')[:2])

    def find_app(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.process.pid:
                return app if main_window(app) else None
        return None

    def check_running(self, what):
        status = self.process.poll()
        if status is not None and not self.expect_end:
            raise ProgramEnded(f'{Run.step}: the program ended (exit status {status}) '
                             f'while waiting for {what}')

    def ended(self):
        return self.process.poll() is not None

    def kill(self):
        if not self.ended():
            self.process.kill()
        self.process.wait()


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def descendants(acc):
    for child in acc:
        if child is not None:
            yield child
            yield from descendants(child)


def find(root, role, name=None):
    for acc in descendants(root):
        if acc.getRole() == role and (name is None or acc.name == name):
            return acc
    return None


def need(root, role, name):
    found = find(root, role, name)
    if found is None:
        raise StepFailed(f'{Run.step}: no {Atspi.role_get_name(role)} "{name or ""}" in '
                         f'"{root.name}"')
    return found


def top_levels(app=None):
    app = app or Program.current.app
    return [w for w in app if w is not None and showing(w)]


def main_window(app=None):
    for w in top_levels(app):
        if find(w, pyatspi.ROLE_PUSH_BUTTON, 'Add a New Student'):
            return w
    return None


def student_window():
    for w in top_levels():
        if find(w, pyatspi.ROLE_MENU_ITEM, 'Print'):
            return w
    return None


def about_box():
    for w in top_levels():
        if w.name == 'About Student Information':
            return w
    return None


def message_boxes():
    """Every window up that is none of the program's three: message boxes."""
    known = {main_window(), student_window(), about_box()}
    return [w for w in top_levels() if w not in known]


def message_text(box):
    return ' '.join(acc.name for acc in descendants(box)
                    if acc.getRole() == pyatspi.ROLE_LABEL and acc.name)


# --- what an assistive technology does ---------------------------------------------------

def act(acc, action, what, refusal_allowed=False):
    """Does the named action; the call must answer at once, before any window it opens closes."""
    actions = acc.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if action not in names:
        raise StepFailed(f'{Run.step}: {what} offers no "{action}" action, only {names}')
    start = time.monotonic()
    try:
        done = actions.doAction(names.index(action))
        error = None
    except GLib.GError as e:
        done, error = False, e
    took = time.monotonic() - start
    if error is not None:
        fail(f'{what}: the "{action}" call got no answer within {took:.1f} s ({error.message}): '
             'an assistive technology waiting for it stalls')
    elif took > PROMPT:
        fail(f'{what}: the "{action}" call took {took:.1f} s to answer')
    elif not done and not refusal_allowed:
        fail(f'{what}: the "{action}" call answered that it was not done')


def press(window, name):
    act(need(window, pyatspi.ROLE_PUSH_BUTTON, name), 'Press', f'the button "{name}"')


def toggle(window, role, name):
    act(need(window, role, name), 'Toggle', f'"{name}"')


def checked(acc):
    return acc.getState().contains(pyatspi.STATE_CHECKED)


def has_state(acc, state):
    return acc.getState().contains(state)


def expect_active(window, what, first=None):
    """A window just opened or gone back to is the active one, with its first field focused:
    a screen reader reads and types where the focus is."""
    expect(f'{what} active', lambda: has_state(window, pyatspi.STATE_ACTIVE), True)
    if first is not None:
        role, name = first
        field = need(window, role, name)
        expect(f'"{name}" in {what} focused', lambda: has_state(field, pyatspi.STATE_FOCUSED),
               True)


def text_of(acc):
    text = acc.queryText()
    return text.getText(0, text.characterCount)


def set_text(window, role, name, value):
    field = need(window, role, name)
    check(field.queryEditableText().setTextContents(value),
          f'the field "{name}" refused the text {value!r}')
    expect(f'the text of the field "{name}"', lambda: text_of(field), value)


class ListBox:
    """A list through AT-SPI Selection where the list offers it, otherwise Table rows."""
    noted = False

    def __init__(self, window, name):
        self.acc = need(window, pyatspi.ROLE_LIST, name)
        self.name = name
        try:
            self.selection = self.acc.querySelection()
        except NotImplementedError:
            self.selection = None
            if Program.current.version >= (6, 5):
                fail(f'the list "{name}" offers no Selection interface with Qt '
                     f'{".".join(map(str, Program.current.version))}')
            elif not ListBox.noted:
                ListBox.noted = True
                print('NOTE: Qt before 6.5 has no selection interface for widgets; the lists '
                      'are driven through Table row selection', flush=True)
        self.table = None if self.selection else self.acc.queryTable()

    def entries(self):
        return [child.name for child in self.acc if child is not None]

    def select(self, entry):
        if entry not in self.entries():
            raise StepFailed(f'{Run.step}: "{entry}" is not in the list "{self.name}"')
        row = self.entries().index(entry)
        if self.selection:
            return self.selection.selectChild(row)
        return self.table.addRowSelection(row)

    def selected(self):
        if self.selection:
            return [self.selection.getSelectedChild(i).name
                    for i in range(self.selection.nSelectedChildren)]
        return [self.acc.getChildAtIndex(row).name for row in self.table.getSelectedRows()]

    def choose(self, entry):
        before = [name for name in self.selected() if name != entry]
        Heard.take()
        Heard.changes.clear()
        Heard.focused.clear()
        check(self.select(entry), f'the list "{self.name}" refused to select "{entry}"')
        expect(f'the selection of the list "{self.name}"', self.selected, [entry])
        # A screen reader keeps its own idea of what is selected: the entry that gains the
        # selection and the one that loses it must say so.
        expect(f'"{entry}" announced as selected', lambda: (entry, True) in Heard.changes, True)
        for name in before:
            expect(f'"{name}" announced as no longer selected',
                   lambda name=name: (name, False) in Heard.changes, True)
        # The list does not have the keyboard: a screen reader must not move there.
        check(entry not in Heard.focused, f'"{entry}" announced as focused, though the list '
              f'"{self.name}" does not have the focus')


def open_menu(window, menu):
    item = need(window, pyatspi.ROLE_MENU_ITEM, menu)
    popup = item.getChildAtIndex(0)
    if not showing(popup):  # the action shows a closed menu but closes an open one
        act(item, 'ShowMenu', f'the menu "{menu}"')
    wait_for(f'the menu "{menu}" open', lambda: showing(popup))
    return popup


def choose_menu_item(window, menu, entry):
    """Opens the menu and presses its item, as a screen reader user does."""
    popup = open_menu(window, menu)
    act(need(popup, pyatspi.ROLE_MENU_ITEM, entry), 'Press', f'the menu item "{menu} > {entry}"')
    expect(f'the menu "{menu}" closed after "{entry}"', lambda: showing(popup), False)


def quiet_period():
    """Lets an effect that should not come have its chance to come, then makes sure the
    program's event loop has run since, with a round trip through it."""
    time.sleep(QUIET)
    for w in top_levels():
        w.getState()


# --- printed documents -------------------------------------------------------------------

class Documents:
    folder = None

    @classmethod
    def printed(cls):
        return sorted(cls.folder.glob('document-*.pdf'))

    @classmethod
    def next(cls, before, what):
        path = wait_for(f'the {what} printed',
                        lambda: len(cls.printed()) > before and cls.printed()[before])
        result = subprocess.run(['pdftotext', '-layout', str(path), '-'], capture_output=True,
                                text=True, check=True)
        return [line.strip() for line in result.stdout.splitlines() if line.strip()]


def report_fields(lines):
    fields = {}
    for line in lines:
        match = re.match(r'(Student Name|Units Completed|Major|School|Grade Level|Deans List):'
                         r'\s+(.*)$', line)
        if match:
            fields[match.group(1)] = match.group(2)
    return fields


def expected_report(student):
    return {'Student Name': student.name, 'Units Completed': student.units,
            'Major': student.major, 'School': student.school, 'Grade Level': student.level,
            'Deans List': 'Yes' if student.deans else 'No'}


def print_student(window, student):
    before = len(Documents.printed())
    choose_menu_item(window, 'Print', 'Print Student')
    fields = report_fields(Documents.next(before, f'student report of {student.name}'))
    check(fields == expected_report(student),
          f'the student report printed {fields}, expected {expected_report(student)}')


def print_schools(window, schools):
    before = len(Documents.printed())
    choose_menu_item(window, 'Print', 'Print Schools')
    lines = Documents.next(before, 'school list')
    printed = lines[lines.index('School List:') + 1:] if 'School List:' in lines else lines
    check(printed == schools, f'the school list printed {printed}, expected {schools} '
          f'("Highland" {printed.count("Highland")} times)')


# --- the scenario ------------------------------------------------------------------------

# typed: the school is typed into the edit field rather than selected in the list.
Student = collections.namedtuple('Student', 'name units level major school typed deans')


STUDENTS = [
    Student('Ada Okafor', '12', 'Freshman', 'Accounting', 'Franklin', False, False),
    Student('Ben Duarte', '45', 'Sophomore', 'Business', 'Highland', True, True),
    Student('Chloé Martin', '78', 'Junior', 'Computer Information Systems', 'Midtown', False,
            False),
    Student('Dev Patel', '110', 'Senior', 'Marketing', 'West Highland', False, True),
]
SCHOOLS = ['Franklin', 'Highland', 'Midtown', 'West Highland']


def open_student_window(button):
    press(main_window(), button)
    window = wait_for(f'the student window after "{button}"', student_window)
    mode = button.split()[0]  # Add, Display, Remove
    expect('the student window\'s description (naming its mode)', lambda: window.description,
           mode, lambda got, want: want in got)
    expect_active(window, 'the student window', (pyatspi.ROLE_TEXT, 'Name'))
    return window


def close_student_window(window, button):
    press(window, button)
    wait_for(f'the student window closed by "{button}"', lambda: not showing(window))
    expect_active(main_window(), 'the main window')


def add(student):
    window = open_student_window('Add a New Student')
    set_text(window, pyatspi.ROLE_TEXT, 'Name', student.name)
    set_text(window, pyatspi.ROLE_TEXT, 'Units Completed', student.units)
    toggle(window, pyatspi.ROLE_RADIO_BUTTON, student.level)
    expect(f'"{student.level}" checked', lambda: checked(need(
        window, pyatspi.ROLE_RADIO_BUTTON, student.level)), True)
    ListBox(window, 'Major').choose(student.major)
    schools = ListBox(need(window, pyatspi.ROLE_COMBO_BOX, 'School'), 'School')
    if student.typed:
        set_text(need(window, pyatspi.ROLE_COMBO_BOX, 'School'), pyatspi.ROLE_TEXT, 'School',
                 student.school)
        expect('the school list\'s selection after the school was typed', schools.selected,
               [student.school])
    else:
        schools.choose(student.school)
    if student.deans:
        toggle(window, pyatspi.ROLE_CHECK_BOX, 'Deans List')
    expect('"Deans List" checked',
           lambda: checked(need(window, pyatspi.ROLE_CHECK_BOX, 'Deans List')), student.deans)
    if student.typed:
        print_student(window, student)
        expect('the school list', schools.entries, SCHOOLS)
        print_schools(window, SCHOOLS)
    close_student_window(window, 'Add Student')
    wait_for(f'"{student.name}" listed',
             lambda: student.name in ListBox(main_window(), 'Students').entries())


def shown_student(window):
    """What the student window shows, field by field, in the form the scenario wrote it."""
    school_box = need(window, pyatspi.ROLE_COMBO_BOX, 'School')
    levels = [r.name for r in descendants(window)
              if r.getRole() == pyatspi.ROLE_RADIO_BUTTON and checked(r)]
    return {'name': text_of(need(window, pyatspi.ROLE_TEXT, 'Name')),
            'units': text_of(need(window, pyatspi.ROLE_TEXT, 'Units Completed')),
            'level': levels, 'major': ListBox(window, 'Major').selected(),
            'school': text_of(need(school_box, pyatspi.ROLE_TEXT, 'School')),
            'deans': checked(need(window, pyatspi.ROLE_CHECK_BOX, 'Deans List'))}


def as_shown(student):
    return {'name': student.name, 'units': student.units, 'level': [student.level],
            'major': [student.major], 'school': student.school, 'deans': student.deans}


def display(student):
    ListBox(main_window(), 'Students').choose(student.name)
    window = open_student_window('Display a student')
    expect(f'the student window displaying {student.name}', lambda: shown_student(window),
           as_shown(student))
    print_student(window, student)
    close_student_window(window, 'Cancel')


def remove(student, remaining):
    ListBox(main_window(), 'Students').choose(student.name)
    window = open_student_window('Remove a Student')
    expect('the name in the student window', lambda: text_of(
        need(window, pyatspi.ROLE_TEXT, 'Name')), student.name)
    close_student_window(window, 'Remove this Student?')
    expect('the list after the remove', ListBox(main_window(), 'Students').entries,
           [s.name for s in remaining])


def nothing_happened(what, shown, students, listed):
    """Checks that an attempt on the main window under the student window changed nothing."""
    quiet_period()
    if Program.current.ended():
        raise ProgramEnded(f'{Run.step}: {what}: the program ended')
    boxes = message_boxes()
    check(not boxes, f'{what}: a message box came up: '
          + '; '.join(f'"{message_text(b)}"' for b in boxes))
    for box in boxes:
        press(box, 'OK')
        wait_for('the message box closed', lambda: not showing(box))
    check(student_window() is not None and text_of(
        need(student_window(), pyatspi.ROLE_TEXT, 'Name')) == shown.name,
          f'{what}: the student window no longer shows {shown.name}')
    check((students.entries(), students.selected()) == (listed, [shown.name]),
          f'{what}: the main list holds {students.entries()} with {students.selected()} '
          f'selected, expected {listed} with {[shown.name]}')


def try_main_window(shown, button, others):
    """Opens the student window for `shown` and tries the main window's list and `others`."""
    students = ListBox(main_window(), 'Students')
    students.choose(shown.name)
    window = open_student_window(button)
    listed = students.entries()
    for other in others:
        if isinstance(other, Student):
            students.select(other.name)
            nothing_happened(f'selecting "{other.name}" in the main list', shown, students,
                             listed)
        else:
            act(need(main_window(), pyatspi.ROLE_PUSH_BUTTON, other), 'Press',
                f'the main window\'s "{other}"', refusal_allowed=True)
            nothing_happened(f'pressing "{other}" in the main window', shown, students, listed)
    return window, students


def remove_while_main_window_is_tried(shown, other, remaining):
    window, students = try_main_window(shown, 'Remove a Student',
                                       [other, 'Display a student', 'Remove a Student'])
    close_student_window(window, 'Remove this Student?')
    expect('the list after the remove', students.entries, [s.name for s in remaining])
    display(other)


def exit_while_student_window_is_up(shown):
    window, _ = try_main_window(shown, 'Display a student', ['Exit'])
    close_student_window(window, 'Cancel')


def about():
    main = main_window()
    popup = open_menu(main, 'Help')
    act(need(popup, pyatspi.ROLE_MENU_ITEM, 'About'), 'Press', 'the menu item "Help > About"')
    box = wait_for('the About box', about_box)
    expect('the menu "Help" closed after "About"', lambda: showing(popup), False)
    expect_active(box, 'the About box', (pyatspi.ROLE_PUSH_BUTTON, 'OK'))
    picture = need(box, pyatspi.ROLE_IMAGE, None)
    check(picture.name != '', 'the About box\'s picture has no accessible name')
    press(box, 'OK')
    wait_for('the About box closed', lambda: about_box() is None)
    expect_active(main, 'the main window')


def exit_program():
    Program.current.expect_end = True
    press(main_window(), 'Exit')
    try:
        status = Program.current.process.wait(DEADLINE)
    except subprocess.TimeoutExpired:
        raise StepFailed(f'{Run.step}: the program still runs {DEADLINE:.0f} s after "Exit"')
    check(status == 0, f'the program ended with exit status {status}')


def recover(host, folder):
    """After a failed step in keep-going mode: every window closed, or a fresh program."""
    program = Program.current
    try:
        if not program.ended():
            for box in message_boxes():
                press(box, 'OK')
            if about_box():
                press(about_box(), 'OK')
            if student_window():
                press(student_window(), 'Cancel')
            wait_for('every window but the main one closed',
                     lambda: top_levels() == [main_window()], 10.0)
            return
    except (StepFailed, GLib.GError) as e:
        print(f'NOTE could not close the windows ({e}); starting the program again')
    program.kill()
    print('NOTE the program is started again: later steps find no students', flush=True)
    Program(host, folder)


def main():
    args = sys.argv[1:]
    Run.keep_going = '--keep-going' in args
    host = [a for a in args if a != '--keep-going'][0]
    pyatspi.setTimeout(5000, 5000)  # a stalled call fails in seconds, not libatspi's default
    Heard.listen()
    with tempfile.TemporaryDirectory(prefix='si-atspi-') as folder:
        Documents.folder = pathlib.Path(folder)
        steps = [('the program starts with an empty list', lambda: expect(
            'the main list', ListBox(main_window(), 'Students').entries, []))]
        steps += [(f'add {s.name}, {s.level}', lambda s=s: add(s)) for s in STUDENTS]
        steps += [('the main list', lambda: expect(
            'the main list', ListBox(main_window(), 'Students').entries,
            sorted(s.name for s in STUDENTS)))]
        steps += [(f'display {s.name}', lambda s=s: display(s)) for s in STUDENTS]
        steps += [(f'remove {STUDENTS[0].name}', lambda: remove(STUDENTS[0], STUDENTS[1:]))]
        steps += [(f'remove {STUDENTS[1].name} while the main window is tried',
                   lambda: remove_while_main_window_is_tried(STUDENTS[1], STUDENTS[3],
                                                             STUDENTS[2:]))]
        steps += [('Exit pressed under the student window',
                   lambda: exit_while_student_window_is_up(STUDENTS[2]))]
        steps += [('About', about), ('Exit', exit_program)]
        Run.step = 'start'
        try:
            Program(host, folder)
            print(f'Qt {Program.current.app.get_toolkit_version()}', flush=True)
            for name, step in steps:
                Run.step = name
                print(f'-- {name}', flush=True)
                try:
                    try:
                        step()
                    except GLib.GError as e:  # an object gone, or a call not answered
                        raise StepFailed(f'{name}: {e.message}') from e
                except StepFailed as e:
                    if not Run.keep_going:
                        raise
                    print(f'FAIL {e} (step abandoned)', flush=True)
                    Run.failures.append(str(e))
                    recover(host, folder)
        except StepFailed as e:
            print(f'FAIL {e}', flush=True)
            return 1
        finally:
            if Program.current:
                Program.current.kill()
    if Run.failures:
        print(f'{len(Run.failures)} failures:')
        for failure in Run.failures:
            print('  ' + failure)
        return 1
    print('PASS: every step through the accessibility bus alone')
    return 0


if __name__ == '__main__':
    sys.exit(main())
