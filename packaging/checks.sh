# Sourced by the packaging checks: `check DESCRIPTION COMMAND...` runs the command, reports it,
# and leaves $failed at 1 when it fails, so every check runs and the script fails at its end.
failed=0
check()
{
    local description=$1
    shift
    if "$@"; then
        echo "ok: $description"
    else
        echo "FAIL: $description"
        failed=1
    fi
}
