"""Finding and loading the shared library and the command, and one quiet
call of the library's entry point."""
import ctypes
import ctypes.util
import os
import pathlib
import shutil
import sys
import tempfile
import threading

_LIBRARY_NAMES = ("libkorvex.so", "libkorvex.so.4")
_HERE = pathlib.Path(__file__).resolve().parent


def _candidates():
    try:
        from . import _location  # written by the installation
        yield (_HERE / _location.LIBRARY_DIR).resolve()
    except ImportError:
        pass
    yield _HERE.parent.parent / "build"  # the source tree, when the module is used from it


def library_path():
    """The path of the shared library this module loads."""
    explicit = os.environ.get("KORVEX_LIBRARY")
    if explicit:
        return explicit
    for folder in _candidates():
        for name in _LIBRARY_NAMES:
            if (folder / name).is_file():
                return str(folder / name)
    found = ctypes.util.find_library("korvex")
    if found:
        return found
    raise OSError("the korvex library was not found: set KORVEX_LIBRARY to its path")


def command_path():
    """The path of the korvex command (used for exports and quality figures):
    KORVEX_CLI, else beside the library (its bin/ folder when installed, the
    build folder itself in the source tree), else the one on PATH."""
    explicit = os.environ.get("KORVEX_CLI")
    if explicit:
        return explicit
    try:
        lib_dir = pathlib.Path(library_path()).resolve().parent
        for candidate in (lib_dir / "korvex", lib_dir.parent / "bin" / "korvex"):
            if candidate.is_file() and os.access(candidate, os.X_OK):
                return str(candidate)
    except OSError:
        pass
    found = shutil.which("korvex")
    if found:
        return found
    raise OSError("the korvex command was not found: set KORVEX_CLI to its path")


_MessageCallback = ctypes.CFUNCTYPE(None, ctypes.c_char_p)
_library = None
_libc = None
# The library runs one mesh at a time per process, and standard output is
# redirected around each run: both need one run at a time.
_run_lock = threading.Lock()
DEFAULT_SETTINGS = (False, 200, 150, 150, 1000000)


def _load():
    global _library, _libc
    if _library is None:
        lib = ctypes.CDLL(library_path())
        lib.SetMessageCallback.argtypes = [_MessageCallback]
        lib.SetMessageCallback.restype = None
        lib.SetMeshParameters.argtypes = [ctypes.c_bool, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_int]
        lib.SetMeshParameters.restype = None
        lib.GenerateQuads.argtypes = [ctypes.c_int, ctypes.POINTER(ctypes.c_char_p)]
        lib.GenerateQuads.restype = ctypes.c_int
        _libc = ctypes.CDLL(None)
        _libc.fflush.argtypes = [ctypes.c_void_p]
        _libc.fflush.restype = ctypes.c_int
        _library = lib
    return _library


def _flush_all():
    for stream in (sys.stdout, sys.stderr):
        try:
            if stream is not None:
                stream.flush()
        except (OSError, ValueError):
            pass
    _libc.fflush(None)  # the C runtime's buffers, which the library writes through


# The settings the library reads from the environment once per run, by
# their place in the settings tuple after those of SetMeshParameters.
_ENVIRONMENT_SETTINGS = ((5, "KORVEX_THREADS"), (6, "KORVEX_MAX_CURVES_PER_EDGE"), (7, "KORVEX_MAX_CURVES"),
                         (8, "KORVEX_MAX_NEW_POINTS"))


def _set_environment(settings):
    """Sets the given environment settings; returns what they replaced."""
    saved = {}
    for place, name in _ENVIRONMENT_SETTINGS:
        if len(settings) > place and settings[place] is not None:
            saved[name] = os.environ.get(name)
            os.environ[name] = str(settings[place])
    return saved


def _restore_environment(saved):
    for name, value in saved.items():
        if value is None:
            os.environ.pop(name, None)
        else:
            os.environ[name] = value


def run_quietly(path, settings, cwd=None):
    """Meshes the model at path with the settings (tree_guard, max_subregions,
    max_curves_per_tree, max_points_per_tree, max_nodes, threads, max_curves_per_edge,
    max_curves, max_new_points),
    standard output and
    standard error silenced at the descriptor level for the call. Returns
    (status, messages, console): the library's messages in order, and what it
    printed on the console (its banner and the file-name errors). With cwd
    the run takes place in that folder (the engine keeps a working file in
    the current folder), the process's own folder restored after."""
    lib = _load()
    messages = []

    def collect(text):
        messages.append(text.decode("utf-8", "replace"))

    callback = _MessageCallback(collect)
    argv = (ctypes.c_char_p * 3)(b"korvex", os.fsencode(path), None)
    with _run_lock, tempfile.TemporaryFile() as console:
        _flush_all()
        saved = (os.dup(1), os.dup(2))
        home = os.getcwd() if cwd is not None else None
        try:
            if cwd is not None:
                os.chdir(cwd)
            with open(os.devnull, "wb") as null:
                os.dup2(console.fileno(), 1)
                os.dup2(null.fileno(), 2)
            lib.SetMeshParameters(*settings[:5])
            lib.SetMessageCallback(callback)
            replaced = _set_environment(settings)
            try:
                status = lib.GenerateQuads(2, argv)
            finally:
                _restore_environment(replaced)
                lib.SetMessageCallback(_MessageCallback())
                lib.SetMeshParameters(*DEFAULT_SETTINGS)
                _flush_all()
        finally:
            if home is not None:
                os.chdir(home)
            os.dup2(saved[0], 1)
            os.dup2(saved[1], 2)
            os.close(saved[0])
            os.close(saved[1])
        console.seek(0)
        printed = console.read().decode("utf-8", "replace")
    return status, messages, printed
