# Writes the long sample recording of the medium (OUT): a 1 Hz triangle
# signal sampled every 10 ms for about seventeen minutes, so that the product's
# archive spans more than one floppy disk as the real one does.
set(block "")
foreach(step RANGE 0 99)
    if(step LESS 50)
        math(EXPR millivolts "${step} * 40")
    else()
        math(EXPR millivolts "(100 - ${step}) * 40")
    endif()
    math(EXPR whole "${millivolts} / 1000")
    math(EXPR fraction "${millivolts} % 1000 + 1000")
    string(SUBSTRING "${fraction}" 1 3 fraction)
    string(APPEND block "${step};${whole}.${fraction}\r\n")
endforeach()
string(REPEAT "${block}" 1000 samples)
file(WRITE "${OUT}" "MDF1 long recording, 10 ms steps\r\nsample;U\r\n${samples}")
