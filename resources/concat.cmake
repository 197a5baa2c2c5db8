# Concatenates the files in PARTS (separated by |) into OUT.
string(REPLACE "|" ";" PARTS "${PARTS}")
file(WRITE ${OUT} "")
foreach(part ${PARTS})
  file(READ ${part} content)
  file(APPEND ${OUT} "${content}\n")
endforeach()
