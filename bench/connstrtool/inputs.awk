# Inputs for corvanta-connstr parse, as JSON on standard output:
#   -v mode=mixed -v size=N   one string of about N bytes: bare values, short quoted ones and long
#                             quoted ones full of separators and doubled quotes, in turn
#   -v mode=small -v count=N  one string of N pairs `a=1;`
#   -v mode=tiny -v count=N   N strings `a=1`
# and for mask and edit, each about N bytes (-v size=N):
#   mode=quoted    one quoted value of `PWD=a'';` pieces: a secret after every doubled quote
#   mode=pieces    an ODBC value of one password and pieces `;a` without `=`
#   mode=pairs     pairs `a=1;`
#   mode=edit      {"string": mixed pairs, "set": [["Data Source","x"]]}; -v pairs_only=1 for `a=1;`
#   mode=provider  {"string": pairs `kN=v;`, "set": a Provider in turn} half and half
function mixed(size,    long, n, i, k, p) {
    long = ""; for (j = 0; j < 20; j++) long = long "p;a\\\"s''s=w o;r\\\"d ";
    n = 0;
    for (i = 0; n < size; i++) {
        k = i % 3;
        if (k == 0) p = "Key==" i " Name=server" i ".example";
        else if (k == 1) p = "Key==" i " Name=\\\"it's " i "; \\\"\\\"fine\\\"\\\"\\\"";
        else p = "Key==" i " Name='" long "'";
        if (i) { printf ";"; n++ }
        printf "%s", p; n += length(p);
    }
}
function pairs(size,    n) {
    for (n = 0; n < size; n += 4) printf "a=1;";
}
BEGIN {
    if (mode == "quoted") {
        printf "[\"Extended Properties='";
        for (n = 0; n < size; n += 8) printf "PWD=a'';";
        printf "'\"]\n";
    } else if (mode == "pieces") {
        printf "[\"Extended Properties=\\\"PWD=x";
        for (n = 0; n < size; n += 2) printf ";a";
        printf "\\\"\"]\n";
    } else if (mode == "pairs") {
        printf "[\""; pairs(size); printf "\"]\n";
    } else if (mode == "edit") {
        printf "[{\"string\":\"";
        if (pairs_only) pairs(size); else mixed(size);
        printf "\",\"set\":[[\"Data Source\",\"x\"]]}]\n";
    } else if (mode == "provider") {
        printf "[{\"string\":\""; n = 0;
        for (i = 0; n < size / 2; i++) { p = "k" i "=v;"; printf "%s", p; n += length(p) }
        printf "\",\"set\":[";
        for (i = 0; n < size; i++) {
            p = (i ? "," : "") "[\"Provider\",\"" (i % 2 ? "SQLOLEDB" : "MSDASQL") "\"]";
            printf "%s", p; n += length(p);
        }
        printf "]}]\n";
    } else if (mode == "mixed") {
        long = ""; for (j = 0; j < 20; j++) long = long "p;a\\\"s''s=w o;r\\\"d ";
        printf "[\""; n = 0;
        for (i = 0; n < size; i++) {
            k = i % 3;
            if (k == 0) p = "Key==" i " Name=server" i ".example";
            else if (k == 1) p = "Key==" i " Name=\\\"it's " i "; \\\"\\\"fine\\\"\\\"\\\"";
            else p = "Key==" i " Name='" long "'";
            if (i) { printf ";"; n++ }
            printf "%s", p; n += length(p);
        }
        printf "\"]\n";
    } else if (mode == "small") {
        printf "[\""; for (i = 0; i < count; i++) printf "a=1;"; printf "\"]\n";
    } else {
        printf "["; for (i = 0; i < count; i++) printf "%s\"a=1\"", (i ? "," : ""); printf "]\n";
    }
}
