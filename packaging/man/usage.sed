# Turns the tools' "usage:" lines into the "Usage:" / "or:" form from which
# help2man makes the SYNOPSIS: a wrapped first line is joined to it, and each
# further line that starts with the program's name becomes an "or:" line.
/^usage: /{
  s/^usage: /Usage: /
  N
  s/\n  *\[/ [/
  P
  D
}
s/^  *\(vareko[-a-z]* \)/  or: \1/
