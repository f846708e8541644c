# Inputs for corvanta-connstr parse, as JSON on standard output:
#   -v mode=mixed -v size=N   one string of about N bytes: bare values, short quoted ones and long
#                             quoted ones full of separators and doubled quotes, in turn
#   -v mode=small -v count=N  one string of N pairs `a=1;`
#   -v mode=tiny -v count=N   N strings `a=1`
BEGIN {
    if (mode == "mixed") {
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
